// The hidden main window: owner of the global hot key and of the tray icon,
// target of the tray icon's callbacks and of the tray menu's commands, and
// the one place that knows which dialog is running.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "app/tray_icon_win.h"
#include "app/tray_menu_state.h"
#include "app/type_ahead_hold_win.h"
#include "database/refresh_controller.h"
#include "framework/env.h"
#include "framework/win_handles.h"
#include "framework/window_win.h"
#include "launcher/file_filter.h"

class CAboutDlg;
class CLauncherDlg;
class CFolderSettingsDlg;
class CVelnorDoc;

constexpr int kHotKeyId = 0;
// While another program or copy holds the hot key, it is asked for again.
constexpr UINT_PTR kHotKeyRetryTimer = 1;
constexpr UINT kHotKeyRetryMs = 2000;
// The change watcher's word that the index changed (posted, never sent).
constexpr UINT WM_FOLDER_RESCANNED = WM_APP + 1;
// Posted once at start-up when the database could not be read.
constexpr UINT WM_DATABASE_UNREADABLE = WM_APP + 2;
// A setting changed, or the usage log grew large: the database is saved
// once the command at hand is done.
constexpr UINT WM_SAVE_DATABASE = WM_APP + 3;
// Posted once at start-up when a portable copy cannot write its folder.
constexpr UINT WM_PORTABLE_READ_ONLY = WM_APP + 4;
// Posted once at start-up when the database was damaged.
constexpr UINT WM_DATABASE_DAMAGED = WM_APP + 5;
// Posted once by a first start: the guide opens, or quietly does not.
constexpr UINT WM_OPEN_GUIDE = WM_APP + 6;

// Why the program is asked to end: only a user's exit may wait for an answer.
enum class CloseReason { kUserExit, kSessionEnd };

class CMainFrame : public CWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PlovantVelnorTrayFrame";

  // What the frame asks of the program that runs it.
  class Owner {
   public:
    // The tray menu's Exit, a closed frame, or the end of the session. The
    // owner saves, then ends the program through DestroyWindow.
    virtual void OnCloseRequested(CloseReason reason) = 0;
    // The process's end, once the icon and the hot key are gone.
    virtual void EndProcess(UINT exitCode) = 0;

   protected:
    ~Owner() = default;
  };

  // `doc` null: the commands that need the database do nothing. `env` is
  // the platform the program runs on (the document's, when there is one).
  CMainFrame(CVelnorDoc* doc, Env& env, Owner& owner);

  // Creates the hidden top-level window; its creation registers the hot key.
  bool Create();

  // `bSmallIcon`: the 16x16 image; otherwise the system's default size.
  bool AddTrayIcon(bool bSmallIcon);
  bool RemoveTrayIcon();

  // The end of the program: removes the tray icon, releases the hot key and
  // ends the process. Never returns, unless a test replaced the process exit.
  void DestroyWindow();

  // From the change watcher's thread: asks for an open launcher's list to be
  // filled again. Requests that arrive before the first is handled are one.
  void PostFolderRescanned();

  // A full refresh of that kind; the frame's commands stay live meanwhile.
  void RunRefresh(RefreshKind kind);
  // Starts the change watcher over the folders as they are now, in place of
  // one that runs; it asks an open launcher to refill through this frame.
  void StartFolderWatcher();
  // Brings the launcher's indexes up to date with the records (after a refresh).
  void PrepareFilter();

  // Opens help.htm beside the executable.
  void OnStarterHelp();
  // The guide beside the program, through the shell without its messages;
  // false when it could not be opened.
  bool OpenGuide();

  // The tray menu as stored in the resources; its first popup is shown.
  static MenuHandle LoadTrayMenu();

  // Null without a document.
  CRefreshController* GetRefreshController() const { return m_refresh.get(); }

  CLauncherDlg* m_pLauncherDlg = nullptr;
  bool m_bLauncherShown = false;
  CFolderSettingsDlg* m_pFolderSettingsDlg = nullptr;
  bool m_bFolderSettingsShown = false;

  bool IsAboutBoxOpen() const { return m_pAboutDlg != nullptr; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool OnCreate();
  // Takes the hot key if it is free now; true when this copy holds it.
  bool TakeHotKey();
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
  // One About box at a time, owned by nobody, run modally.
  void OnAppAbout();

  void ShowRefreshProgress();
  void ActivateLauncher();
  void ActivateFolderSettings();
  void EndLauncher();
  void RefilterLauncher();
  void OnFolderRescanned();
  void PostSaveDatabase();

  bool IsRefreshing() const;
  TrayMenuInputs MenuInputs() const;

  CVelnorDoc* const m_pDoc;
  Env& m_env;
  Owner& m_owner;
  std::unique_ptr<CFileFilter> m_pFileFilter;
  // Destroyed in reverse order: the icon goes before the hot key, as in
  // DestroyWindow.
  HotKeyRegistration m_hotKey;
  // Keys typed right behind the hot key wait for the launcher's query box.
  CTypeAheadHold m_typeAhead;
  CTrayIcon m_trayIcon;
  // The About box that runs, null when none does: there is only ever one.
  CAboutDlg* m_pAboutDlg = nullptr;
  std::atomic<bool> m_bRefillPosted{false};
  bool m_bSavePosted = false;
  // Last, so destroyed first: the watcher it owns posts through this frame.
  std::unique_ptr<CRefreshController> m_refresh;
};
