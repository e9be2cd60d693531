#include "app/velnor_app_win.h"

#include <ole2.h>

#include "app/notices_win.h"
#include "app/registry_helper_win.h"
#include "database/default_folders.h"

CVelnorApp::CVelnorApp(Env& env)
    : m_exitProcess([](UINT code) { ::ExitProcess(code); }),
      m_askSaveFailure(&AskSaveFailure),
      m_env(env) {}

CVelnorApp::~CVelnorApp() {
  // Reached only where the process exit was replaced (tests): the real exit
  // leaves everything to the system. The frame goes before the document:
  // its watcher uses the document.
  m_pMainFrame.reset();
  if (m_bOleInitialized) OleUninitialize();
}

bool CVelnorApp::InitInstance() {
  // The order matters: the hot key exists from the frame's creation and the
  // tray icon from before the first refresh, so both work while it runs.
  if (!CreateDocumentAndFrame()) return false;

  // The frame is created hidden and stays hidden; showing it only to hide it
  // again would flash an empty window on the screen.
  ShowWindow(m_pMainFrame->GetSafeHwnd(), SW_HIDE);
  UpdateWindow(m_pMainFrame->GetSafeHwnd());

  // The guide opens on the first start, and again only if no start since has
  // reached a normal exit (the flag is stored then). It opens once the
  // program runs, and without the shell's error box: a machine with no
  // program for .htm, or a velnor.exe copied alone, must not hold up the
  // refresh and the hot key behind a question.
  const bool openGuide = m_pDoc->m_bFirstRun;
  m_pDoc->m_bFirstRun = false;

  const bool trayIconAdded = AddTrayIcon(true);

  // Drag-out goes through OLE data transfer.
  m_bOleInitialized = SUCCEEDED(OleInitialize(nullptr));

  AddDefaultFolders();
  RefreshDatabase(RefreshKind::kStartUp);
  StartFolderWatcher();
  if (m_pDoc->LastLoad().unreadable) PostMessageW(m_pMainFrame->GetSafeHwnd(), WM_DATABASE_UNREADABLE, 0, 0);
  if (m_pDoc->LastLoad().damaged) PostMessageW(m_pMainFrame->GetSafeHwnd(), WM_DATABASE_DAMAGED, 0, 0);
  if (m_pDoc->PortableCannotWrite()) PostMessageW(m_pMainFrame->GetSafeHwnd(), WM_PORTABLE_READ_ONLY, 0, 0);
  if (openGuide) PostMessageW(m_pMainFrame->GetSafeHwnd(), WM_OPEN_GUIDE, 0, 0);

  // The taskbar may not have been ready: one more try, at the default size.
  if (!trayIconAdded) AddTrayIcon(false);
  return true;
}

bool CVelnorApp::CreateDocumentAndFrame() {
  m_pDoc = std::make_unique<CVelnorDoc>(m_env);
  CMainFrame::Owner& owner = *this;  // a private base: converted here, not in make_unique
  m_pMainFrame = std::make_unique<CMainFrame>(m_pDoc.get(), m_env, owner);
  if (!m_pMainFrame->Create()) return false;
  return m_pDoc->OnNewDocument();
}

void CVelnorApp::AddDefaultFolders() {
  // Only an empty folder list is filled: a first start indexes the Start
  // Menus at once.
  ::AddDefaultFolders(*m_pDoc);
}

void CVelnorApp::RefreshDatabase(RefreshKind kind) {
  // Pumps messages while it runs: the tray icon and the hot key already work.
  m_pMainFrame->RunRefresh(kind);
  m_pMainFrame->PrepareFilter();
}

void CVelnorApp::StartFolderWatcher() { m_pMainFrame->StartFolderWatcher(); }

bool CVelnorApp::AddTrayIcon(bool bSmallIcon) {
  return m_pMainFrame && m_pMainFrame->AddTrayIcon(bSmallIcon);
}

bool CVelnorApp::RemoveTrayIcon() { return m_pMainFrame && m_pMainFrame->RemoveTrayIcon(); }

void CVelnorApp::CloseDocument(CloseReason reason) {
  // A second exit request while the first is still asking the user (the tray
  // stays live under a message box) must not start another close.
  if (m_bClosing) return;
  m_bClosing = true;
  if (!SaveBeforeExit(reason)) {
    m_bClosing = false;
    return;
  }
  // The autorun choice was in the file this run could not read: the value
  // in the registry still says what the user chose.
  if (!m_pDoc->LastLoad().unreadable) WriteAutorunValue();
  m_pMainFrame->DestroyWindow();
}

void CVelnorApp::WriteAutorunValue() {
  // Rewritten at every exit, so the value follows the program when it is
  // moved. A failure changes nothing about the exit.
  CRegistryHelper registry;
  registry.SetValue(kAutorunRoot, m_strAutorunSubkey, kAutorunValueName,
                    AutorunCommand(m_pDoc->m_bAutorun, m_env.ModuleFilePath()));
}

bool CVelnorApp::SaveBeforeExit(CloseReason reason) {
  while (!m_pDoc->SaveDatabase()) {
    // The previous file is still intact; what is lost is this session's
    // counts, so the user decides, except when the session is ending.
    if (reason == CloseReason::kSessionEnd || !m_askSaveFailure) return true;
    switch (m_askSaveFailure(m_pDoc->DatabasePath())) {
      case SaveFailureChoice::kRetry:
        break;
      case SaveFailureChoice::kExitWithoutSaving:
        return true;
      case SaveFailureChoice::kKeepRunning:
        return false;
    }
  }
  return true;
}
