// The application object: the start-up sequence and the one way the program
// ends.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/autorun.h"
#include "app/main_frame_win.h"
#include "app/notices_win.h"
#include "app/program_env_win.h"
#include "database/velnor_doc.h"

class CVelnorApp : private CMainFrame::Owner {
 public:
  // `env` is the platform the program runs on; tests pass one of their own.
  explicit CVelnorApp(Env& env);
  ~CVelnorApp();
  CVelnorApp(const CVelnorApp&) = delete;
  CVelnorApp& operator=(const CVelnorApp&) = delete;

  // Start-up: document, hidden frame, first-run help, tray icon,
  // OLE, then the index. False only when a window could not be created.
  bool InitInstance();

  // The frame's tray icon.
  bool AddTrayIcon(bool bSmallIcon);
  bool RemoveTrayIcon();

  // The close sequence: save the database, then the frame's destruction
  // removes the icon, releases the hot key and ends the process. Returns only
  // when the user chose to keep the program running after a failed save (or
  // when a test replaced the process exit). At the end of the session nobody
  // is asked: the session will not wait.
  using CloseReason = ::CloseReason;
  void CloseDocument(CloseReason reason);

  CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
  // Null until start-up made it; it lives as long as the application.
  CVelnorDoc* GetDocument() const { return m_pDoc.get(); }

  // The process's end; tests replace it to watch the close sequence and live on.
  std::function<void(UINT exitCode)> m_exitProcess;
  // Where the autorun value is written at exit; tests point it elsewhere,
  // as the logon runner would start whatever the real key names.
  std::string m_strAutorunSubkey = kAutorunSubkey;

  // Asked when the database could not be written at a user's exit.
  std::function<SaveFailureChoice(const std::string& databasePath)> m_askSaveFailure;

 private:
  void OnCloseRequested(CloseReason reason) override { CloseDocument(reason); }
  void EndProcess(UINT exitCode) override { m_exitProcess(exitCode); }

  bool CreateDocumentAndFrame();
  bool SaveBeforeExit(CloseReason reason);
  void WriteAutorunValue();

  // Later steps of start-up; each arrives with its own part of the program.
  void AddDefaultFolders();
  void RefreshDatabase(RefreshKind kind);
  void StartFolderWatcher();

  CProgramEnv m_env;
  // Before the frame, so it outlives the frame's change watcher.
  std::unique_ptr<CVelnorDoc> m_pDoc;
  std::unique_ptr<CMainFrame> m_pMainFrame;
  bool m_bOleInitialized = false;
  bool m_bClosing = false;
};
