#include "app/tray_icon_win.h"

#include <shellapi.h>

#include <cwchar>

#include "resources/resource.h"

namespace {

constexpr UINT kTrayIconId = 0;
constexpr wchar_t kTrayTip[] = L"Plovant Velnor [CTRL-ALT-R]";

NOTIFYICONDATAW TrayIconRecord(HWND window) {
  // The full-size record of this platform, not the 88-byte original: the
  // wide tip field alone is 256 bytes.
  NOTIFYICONDATAW nid = {};
  nid.cbSize = sizeof(nid);
  nid.hWnd = window;
  nid.uID = kTrayIconId;
  return nid;
}

}  // namespace

bool CTrayIcon::Add(HWND window, bool bSmallIcon) {
  if (!window) return false;
  // Remembered even if the shell refuses: a busy shell can time out and
  // still show the icon, which the exit must then take away.
  m_window = window;
  NOTIFYICONDATAW nid = TrayIconRecord(window);
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = WM_TRAYNOTIFY;
  const HINSTANCE module = GetModuleHandleW(nullptr);
  if (bSmallIcon) {
    // Loaded without LR_SHARED, so it is ours to destroy; kept for as long
    // as the shell may show it.
    m_icon.Reset(static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    nid.hIcon = m_icon.Get();
  } else {
    // A shared icon: the system owns it.
    nid.hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_TRAY));
  }
  wcsncpy(nid.szTip, kTrayTip, sizeof(nid.szTip) / sizeof(nid.szTip[0]) - 1);
  return Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
}

bool CTrayIcon::Remove() {
  if (!m_window) return false;
  NOTIFYICONDATAW nid = TrayIconRecord(m_window);
  m_window = nullptr;
  return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
}
