#include "app/main_frame_win.h"

#include <shellapi.h>

#include <string>

#include "app/about_dlg_win.h"
#include "app/notices_win.h"
#include "app/tray_menu_state.h"
#include "database/velnor_doc.h"
#include "folders/folder_settings_dlg_win.h"
#include "framework/env.h"
#include "framework/wide_text_win.h"
#include "launcher/launcher_dlg_win.h"
#include "resources/resource.h"

namespace {

constexpr UINT kHotKeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr UINT kHotKeyVirtualKey = 'R';

constexpr char kFeedbackLink[] = "mailto:feedback@plovant.example?subject=Feedback on Plovant Velnor";

// Sent to every top-level window when the shell (re)starts its taskbar;
// icons added before that are gone.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

CMainFrame::CMainFrame(CVelnorDoc* doc, Env& env, Owner& owner)
    : m_pDoc(doc), m_env(env), m_owner(owner), m_refresh(doc ? std::make_unique<CRefreshController>(*doc) : nullptr) {}

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
      // Where no launcher took the keys (another window came forward), or
      // after it closed: nothing waits any longer.
      m_typeAhead.Release();
      return 0;
    case WM_FOLDER_RESCANNED:
      OnFolderRescanned();
      return 0;
    case WM_TIMER:
      if (wParam != kHotKeyRetryTimer) break;
      TakeHotKey();
      return 0;
    case WM_OPEN_GUIDE:
      OpenGuide();  // unasked: a guide that cannot open says nothing
      return 0;
    case WM_DATABASE_DAMAGED:
      if (m_pDoc) TellDatabaseDamaged(m_pDoc->DatabasePath(), m_pDoc->LastLoad());
      return 0;
    case WM_PORTABLE_READ_ONLY:
      if (m_pDoc) TellPortableFolderReadOnly(m_pDoc->ProgramFolder(), m_pDoc->DatabasePath());
      return 0;
    case WM_SAVE_DATABASE:
      // A failure here is told at exit, whose save tries again.
      m_bSavePosted = false;
      if (m_pDoc) m_pDoc->SaveDatabase();
      return 0;
    case WM_DATABASE_UNREADABLE:
      // After start-up, from the message loop: the tray and the hot key
      // already work while the notice waits to be read.
      if (m_pDoc) TellDatabaseUnreadable(m_pDoc->DatabasePath(), m_pDoc->LastLoad().busy);
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
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
  // Taken by another program (or another copy): the tray icon still works,
  // and the key is asked for again until it is free (the other copy exits).
  if (!TakeHotKey()) SetTimer(GetSafeHwnd(), kHotKeyRetryTimer, kHotKeyRetryMs, nullptr);
  // An elevated copy would otherwise never hear that the taskbar came back.
  ChangeWindowMessageFilterEx(GetSafeHwnd(), TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  return true;
}

bool CMainFrame::IsRefreshing() const { return m_refresh && m_refresh->IsRunning(); }

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

bool CMainFrame::TakeHotKey() {
  if (m_hotKey.Registered()) return true;
  if (!m_hotKey.Register(GetSafeHwnd(), kHotKeyId, kHotKeyModifiers, kHotKeyVirtualKey)) return false;
  KillTimer(GetSafeHwnd(), kHotKeyRetryTimer);
  // Without it, keys typed while the launcher is made go astray.
  m_typeAhead.Start(kHotKeyModifiers, kHotKeyVirtualKey);
  return true;
}

void CMainFrame::OnTrayRightButtonDown() {
  TakeHotKey();  // a user at the menu may be looking for why the key did nothing
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
  if (!m_pDoc) return;
  // One filter for the program's life: its indexes survive between openings.
  if (!m_pFileFilter) m_pFileFilter = std::make_unique<CFileFilter>(*m_pDoc);
  CLauncherDlg launcher(*m_pDoc, *m_pFileFilter);
  launcher.m_onReadyForKeys = [this] { m_typeAhead.Release(); };
  m_pLauncherDlg = &launcher;
  m_bLauncherShown = true;
  const CWindowPlacement placement = m_pDoc->m_placement;
  launcher.DoModal(nullptr);
  m_bLauncherShown = false;
  m_pLauncherDlg = nullptr;
  // A crash must not lose where the user put the launcher; uses are safe
  // in the usage log already, which a save folds in once it grew.
  if (!(m_pDoc->m_placement == placement) || m_pDoc->UsageLogWantsCompaction()) PostSaveDatabase();
}

void CMainFrame::PostSaveDatabase() {
  // After the command that changed something, never inside it.
  if (!m_bSavePosted) m_bSavePosted = PostMessageW(GetSafeHwnd(), WM_SAVE_DATABASE, 0, 0) != FALSE;
}

void CMainFrame::ShowRefreshProgress() {
  // The start-up refresh keeps its window hidden; asking shows it.
  if (ProgressWindow* window = m_refresh ? m_refresh->GetProgressWindow() : nullptr) window->ShowAndActivate();
}

void CMainFrame::ActivateLauncher() {
  if (m_pLauncherDlg) SetForegroundWindow(m_pLauncherDlg->GetSafeHwnd());
}

void CMainFrame::ActivateFolderSettings() {
  if (m_pFolderSettingsDlg) SetForegroundWindow(m_pFolderSettingsDlg->GetSafeHwnd());
}

void CMainFrame::EndLauncher() {
  if (m_pLauncherDlg) m_pLauncherDlg->EndLauncher(1);
}

void CMainFrame::RefilterLauncher() {
  if (m_pLauncherDlg && m_pLauncherDlg->GetSafeHwnd()) m_pLauncherDlg->FilterList();
}

void CMainFrame::PostFolderRescanned() {
  // A burst of changes makes one refill, not one per rescan.
  if (m_bRefillPosted.exchange(true)) return;
  if (!PostMessageW(GetSafeHwnd(), WM_FOLDER_RESCANNED, 0, 0)) m_bRefillPosted = false;
}

void CMainFrame::OnFolderRescanned() {
  m_bRefillPosted = false;
  // The launcher may have closed since the rescan; then there is nothing to do.
  if (m_pLauncherDlg && m_pLauncherDlg->GetSafeHwnd()) m_pLauncherDlg->RefillList();
}

bool CMainFrame::OnCommand(UINT id) {
  // A disabled item cannot be chosen, but the same command can still arrive
  // posted or from a keyboard; it must not do what the menu refuses (an
  // option toggled during a refresh would cancel that refresh).
  if (!IsCommandEnabled(id)) return true;
  switch (id) {
    case ID_EXECUTE_FILES:
      OnExecuteFiles();
      return true;
    case ID_REFRESH_DATABASE:
      OnRefreshDatabase();
      return true;
    case ID_FOLDER_SETTINGS:
      OnFolderSettings();
      return true;
    case ID_AUTORUN:
      OnAutorun();
      return true;
    case ID_MP3_SUPPORT:
      OnMp3Support();
      return true;
    case ID_SEARCH_FULL_PATH:
      OnSearchFullPath();
      return true;
    case ID_SEND_FEEDBACK:
      OnSendFeedback();
      return true;
    case ID_STARTER_HELP:
      OnStarterHelp();
      return true;
    case ID_APP_EXIT:
      OnAppExit();
      return true;
    case ID_APP_ABOUT:
      OnAppAbout();
      return true;
    default:
      return false;
  }
}

TrayMenuInputs CMainFrame::MenuInputs() const {
  TrayMenuInputs in;
  if (const CVelnorDoc* doc = m_pDoc) {
    in.autorun = doc->m_bAutorun;
    in.mp3Support = doc->m_bMp3Support;
    in.searchFullPath = doc->m_bSearchFullPath;
  }
  in.refreshing = IsRefreshing();
  in.launcherShown = m_bLauncherShown;
  in.folderSettingsOpen = m_pFolderSettingsDlg != nullptr;
  return in;
}

bool CMainFrame::IsCommandEnabled(UINT id) const {
  for (const TrayMenuItemState& state : ComputeTrayMenuStates(MenuInputs())) {
    if (state.id == id) return state.enabled;
  }
  return true;
}

void CMainFrame::OnInitMenuPopup(HMENU popup) {
  // Computed at every opening (the tray menu and its Preferences popup
  // alike): the resource's own marks play no part. By command, so items in
  // a nested popup are reached too.
  for (const TrayMenuItemState& state : ComputeTrayMenuStates(MenuInputs())) {
    if (GetMenuState(popup, state.id, MF_BYCOMMAND) == static_cast<UINT>(-1)) continue;
    if (!state.text.empty()) {
      // A new text replaces the whole item; its marks are set again below.
      ModifyMenuW(popup, state.id, MF_BYCOMMAND | MF_STRING, state.id,
                  Utf8ToWide(state.text).c_str());
    }
    EnableMenuItem(popup, state.id, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(popup, state.id, MF_BYCOMMAND | (state.checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void CMainFrame::OnRefreshDatabase() {
  if (m_bLauncherShown) EndLauncher();
  if (!m_refresh) return;
  if (m_refresh->IsRunning()) {
    m_refresh->Cancel();
    return;
  }
  // Returns when the refresh has finished or was cancelled; meanwhile this
  // same command, now "Cancel Refresh", arrives through the message pump.
  RunRefresh(RefreshKind::kUserRequested);
  PrepareFilter();
  // A refresh watches everything again: a folder dropped by the watcher,
  // or one added or enabled since it started.
  StartFolderWatcher();
}

void CMainFrame::RunRefresh(RefreshKind kind) {
  if (m_refresh) m_refresh->Refresh(kind);
}

void CMainFrame::PrepareFilter() {
  if (!m_pDoc) return;
  // The indexes follow what the refresh changed now, while its window is
  // still closing, rather than when the user next types.
  if (!m_pFileFilter) m_pFileFilter = std::make_unique<CFileFilter>(*m_pDoc);
  m_pFileFilter->Prepare(MatchOptions{m_pDoc->m_bSearchFullPath, m_pDoc->m_bMp3Support});
}

void CMainFrame::OnFolderSettings() {
  if (m_bFolderSettingsShown) {
    ActivateFolderSettings();
    return;
  }
  if (!m_pDoc) return;
  CFolderSettingsDlg dialog(*m_pDoc);
  m_pFolderSettingsDlg = &dialog;
  if (m_bLauncherShown) EndLauncher();
  m_bFolderSettingsShown = true;
  // Either way of closing keeps the changes, which are already made.
  if (dialog.DoModal(nullptr) > 0 && dialog.FoldersChanged()) {
    // Kept before the refresh, which may take long.
    m_pDoc->SaveDatabase();
    OnRefreshDatabase();
  }
  m_bFolderSettingsShown = false;
  m_pFolderSettingsDlg = nullptr;
}

void CMainFrame::StartFolderWatcher() {
  if (!m_refresh) return;
  m_refresh->RestartWatcher([this](const RescanReport& report) {
    PostFolderRescanned();
    // For a debugger or a log of the debug output: how the watcher keeps up.
    // ASCII only, so the narrow call loses nothing (Wine shows only narrow ones).
    const std::string line = "Plovant Velnor: rescanned folder " + std::to_string(report.folderIndex) + ", " +
                             std::to_string(report.files) + " files, longest lock hold " +
                             std::to_string(report.longestLockHoldUs) + " us\n";
    OutputDebugStringA(line.c_str());
  });
}

void CMainFrame::OnAutorun() {
  // Only the flag: the registry follows it at exit.
  if (!m_pDoc) return;
  m_pDoc->m_bAutorun = !m_pDoc->m_bAutorun;
  PostSaveDatabase();
}

void CMainFrame::OnMp3Support() {
  if (!m_pDoc) return;
  m_pDoc->m_bMp3Support = !m_pDoc->m_bMp3Support;
  PostSaveDatabase();
  // Tags are read (or dropped) only by a scan.
  OnRefreshDatabase();
}

void CMainFrame::OnSearchFullPath() {
  if (!m_pDoc) return;
  m_pDoc->m_bSearchFullPath = !m_pDoc->m_bSearchFullPath;
  PostSaveDatabase();
  if (m_pLauncherDlg) RefilterLauncher();
}


void CMainFrame::OnAppAbout() {
  // The tray menu can be opened again while the box waits: it comes to the
  // front instead of a second one opening.
  if (m_pAboutDlg) {
    SetForegroundWindow(m_pAboutDlg->GetSafeHwnd());
    return;
  }
  auto dialog = std::make_unique<CAboutDlg>(m_env);
  m_pAboutDlg = dialog.get();
  dialog->DoModal(nullptr);
  dialog.reset();
  m_pAboutDlg = nullptr;
}

void CMainFrame::OnSendFeedback() { m_env.ShellLaunch(kFeedbackLink, std::string(), GetSafeHwnd()); }

bool CMainFrame::OpenGuide() {
  std::string path = m_env.ModuleFilePath();
  const size_t slash = path.rfind('\\');
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  path += "help.htm";
  return m_env.ShellLaunchQuietly(path) > kShellLaunchAccepted;
}

void CMainFrame::OnStarterHelp() {
  if (!OpenGuide()) TellGuideUnavailable();
}

void CMainFrame::OnAppExit() { SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0); }

void CMainFrame::OnClose() { m_owner.OnCloseRequested(CloseReason::kUserExit); }

void CMainFrame::OnEndSession(bool ending) {
  // Log-off and shutdown end the process without WM_CLOSE; save first.
  if (ending) m_owner.OnCloseRequested(CloseReason::kSessionEnd);
}

bool CMainFrame::AddTrayIcon(bool bSmallIcon) { return m_trayIcon.Add(GetSafeHwnd(), bSmallIcon); }

bool CMainFrame::RemoveTrayIcon() { return m_trayIcon.Remove(); }

void CMainFrame::OnTaskbarCreated() {
  if (!AddTrayIcon(true)) AddTrayIcon(false);
}

void CMainFrame::DestroyWindow() {
  const HWND hwnd = GetSafeHwnd();
  m_trayIcon.Remove();
  m_hotKey.Reset();
  m_owner.EndProcess(0);
  // Only a replaced process exit gets here.
  ::DestroyWindow(hwnd);
}
