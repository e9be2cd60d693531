#include "app/main_frame_win.h"

#include <shellapi.h>

#include <string>

#include "app/velnor_app_win.h"
#include "database/scan_host.h"
#include "framework/file_system.h"
#include "framework/wide_text_win.h"
#include "resources/resource.h"

namespace {

constexpr UINT kHotKeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr UINT kHotKeyVirtualKey = 'R';

// Sent to every top-level window when the shell (re)starts its taskbar;
// icons added before that are gone.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

CMainFrame::CMainFrame(CVelnorApp& app) : m_app(app) {}

bool CMainFrame::Create() {
  const HICON icon = LoadIconW(ModuleHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  if (!RegisterWindowClass(kClassName, icon)) return false;
  TaskbarCreatedMessage();
  return CreateEx(0, kClassName, L"Plovant Velnor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_TRAYNOTIFY:
      OnTrayNotify(static_cast<UINT>(lParam));
      return 0;
    case WM_HOTKEY:
      BringForward();
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      OnEndSession(wParam != FALSE);
      return 0;
    default:
      // Zero would mean the registration failed; never mistake WM_NULL for it.
      if (message != 0 && message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return 0;
      }
      break;
  }
  return Default(message, wParam, lParam);
}

bool CMainFrame::OnCreate() {
  // Taken by another program (or another copy): the tray icon still works.
  RegisterHotKey(GetSafeHwnd(), kHotKeyId, kHotKeyModifiers, kHotKeyVirtualKey);
  // An elevated copy would otherwise never hear that the taskbar came back.
  ChangeWindowMessageFilterEx(GetSafeHwnd(), TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  return true;
}

bool CMainFrame::IsRefreshing() const { return m_app.m_pDoc && m_app.m_pDoc->m_bRefreshing; }

void CMainFrame::OnTrayNotify(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
      BringForward();
      break;
    case WM_RBUTTONDOWN:
      OnTrayRightButtonDown();
      break;
    default:
      break;
  }
}

MenuHandle CMainFrame::LoadTrayMenu() {
  return MenuHandle(LoadMenuW(ModuleHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
}

void CMainFrame::OnTrayRightButtonDown() {
  if (IsRefreshing()) ShowRefreshProgress();
  const MenuHandle menu = LoadTrayMenu();
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  SetMenuDefaultItem(popup, ID_EXECUTE_FILES, FALSE);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere.
  SetForegroundWindow(GetSafeHwnd());
  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                 GetSafeHwnd(), nullptr);
  // Lets the next click on the tray icon open the menu again at once.
  PostMessageW(GetSafeHwnd(), WM_NULL, 0, 0);
}

void CMainFrame::BringForward() {
  if (IsRefreshing()) {
    ShowRefreshProgress();
  } else if (m_bLauncherShown) {
    ActivateLauncher();
  } else {
    OnExecuteFiles();
  }
}

void CMainFrame::OnExecuteFiles() {
  if (m_bFolderSettingsShown) {
    ActivateFolderSettings();
    return;
  }
  if (m_bLauncherShown) {
    ActivateLauncher();
    return;
  }
  // The launcher's modal run (m_pLauncherDlg, m_bLauncherShown) arrives with
  // the launcher.
}

void CMainFrame::ShowRefreshProgress() {
  // The start-up refresh keeps its window hidden; asking shows it.
  if (m_app.m_pDoc && m_app.m_pDoc->m_pRefreshDlg) m_app.m_pDoc->m_pRefreshDlg->ShowAndActivate();
}

void CMainFrame::ActivateLauncher() {
  // Brings m_pLauncherDlg forward; arrives with the launcher.
}

void CMainFrame::ActivateFolderSettings() {
  // Brings m_pFolderSettingsDlg forward; arrives with the folder settings.
}

bool CMainFrame::OnCommand(UINT id) {
  switch (id) {
    case ID_EXECUTE_FILES:
      OnExecuteFiles();
      return true;
    case ID_STARTER_HELP:
      OnStarterHelp();
      return true;
    case ID_APP_EXIT:
      OnAppExit();
      return true;
    case ID_APP_ABOUT:
    case ID_SEND_FEEDBACK:
    case ID_REFRESH_DATABASE:
    case ID_FOLDER_SETTINGS:
    case ID_AUTORUN:
    case ID_MP3_SUPPORT:
    case ID_SEARCH_FULL_PATH:
      // Each arrives with its own part of the program.
      return true;
    default:
      return false;
  }
}

void CMainFrame::OnStarterHelp() {
  std::string path = GetModuleFilePath();
  const size_t slash = path.rfind('\\');
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  path += "help.htm";
  ShellExecuteW(GetSafeHwnd(), nullptr, Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainFrame::OnAppExit() { SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0); }

void CMainFrame::OnClose() { m_app.CloseDocument(CVelnorApp::CloseReason::kUserExit); }

void CMainFrame::OnEndSession(bool ending) {
  // Log-off and shutdown end the process without WM_CLOSE; save first.
  if (ending) m_app.CloseDocument(CVelnorApp::CloseReason::kSessionEnd);
}

void CMainFrame::OnTaskbarCreated() {
  if (!m_app.AddTrayIcon(true)) m_app.AddTrayIcon(false);
}

void CMainFrame::DestroyWindow() {
  const HWND hwnd = GetSafeHwnd();
  m_app.RemoveTrayIcon();
  UnregisterHotKey(hwnd, kHotKeyId);
  m_app.m_exitProcess(0);
  // Only a replaced process exit gets here.
  ::DestroyWindow(hwnd);
}
