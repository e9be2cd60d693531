// The notification-area icon of CVelnorApp.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/main_frame_win.h"
#include "app/velnor_app_win.h"
#include "resources/resource.h"

namespace {

constexpr UINT kTrayIconId = 0;
constexpr wchar_t kTrayTip[] = L"Plovant Velnor [CTRL-ALT-R]";

NOTIFYICONDATAW TrayIconRecord(HWND frame) {
  // The full-size record of this platform, not the 88-byte original: the
  // wide tip field alone is 256 bytes.
  NOTIFYICONDATAW nid = {};
  nid.cbSize = sizeof(nid);
  nid.hWnd = frame;
  nid.uID = kTrayIconId;
  return nid;
}

}  // namespace

bool CVelnorApp::AddTrayIcon(bool bSmallIcon) {
  if (!m_pMainFrame || !m_pMainFrame->GetSafeHwnd()) return false;
  NOTIFYICONDATAW nid = TrayIconRecord(m_pMainFrame->GetSafeHwnd());
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = WM_TRAYNOTIFY;
  const HINSTANCE module = GetModuleHandleW(nullptr);
  if (bSmallIcon) {
    // Loaded without LR_SHARED, so it is ours to destroy; kept for as long
    // as the shell may show it.
    m_trayIcon.Reset(static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    nid.hIcon = m_trayIcon.Get();
  } else {
    // A shared icon: the system owns it.
    nid.hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_TRAY));
  }
  wcsncpy(nid.szTip, kTrayTip, sizeof(nid.szTip) / sizeof(nid.szTip[0]) - 1);
  return Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
}

bool CVelnorApp::RemoveTrayIcon() {
  if (!m_pMainFrame || !m_pMainFrame->GetSafeHwnd()) return false;
  NOTIFYICONDATAW nid = TrayIconRecord(m_pMainFrame->GetSafeHwnd());
  return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
}
