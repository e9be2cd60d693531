// The hidden main window: owner of the global hot key, target of the tray
// icon's callbacks and of the tray menu's commands, and the one place that
// knows which dialog is running.
#pragma once

#include <windows.h>

#include <memory>

#include "app/tray_menu_state.h"
#include "framework/win_handles.h"
#include "framework/window_win.h"
#include "launcher/file_filter.h"

class CVelnorApp;
class CLauncherDlg;
class CFolderSettingsDlg;

constexpr int kHotKeyId = 0;

class CMainFrame : public CWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PlovantVelnorTrayFrame";

  explicit CMainFrame(CVelnorApp& app);

  // Creates the hidden top-level window; its creation registers the hot key.
  bool Create();

  // The end of the program: removes the tray icon, releases the hot key and
  // ends the process. Never returns, unless a test replaced the process exit.
  void DestroyWindow();

  // Opens help.htm beside the executable.
  void OnStarterHelp();

  // The tray menu as stored in the resources; its first popup is shown.
  static MenuHandle LoadTrayMenu();

  CLauncherDlg* m_pLauncherDlg = nullptr;
  bool m_bLauncherShown = false;
  CFolderSettingsDlg* m_pFolderSettingsDlg = nullptr;
  bool m_bFolderSettingsShown = false;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool OnCreate();
  void OnTrayNotify(UINT mouseMessage);
  void OnTrayRightButtonDown();
  void BringForward();
  bool OnCommand(UINT id);
  void OnAppExit();
  void OnClose();
  void OnEndSession(bool ending);
  void OnTaskbarCreated();

  void OnInitMenuPopup(HMENU popup);
  bool IsCommandEnabled(UINT id) const;

  void OnExecuteFiles();
  void OnRefreshDatabase();
  void OnFolderSettings();
  void OnAutorun();
  void OnMp3Support();
  void OnSearchFullPath();
  void OnSendFeedback();

  void ShowRefreshProgress();
  void ActivateLauncher();
  void ActivateFolderSettings();
  void EndLauncher();
  void RefilterLauncher();

  bool IsRefreshing() const;
  TrayMenuInputs MenuInputs() const;

  CVelnorApp& m_app;
  std::unique_ptr<CFileFilter> m_pFileFilter;
};
