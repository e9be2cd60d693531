#include "database/refresh_controller.h"

#include <utility>

#include "database/folder_scan.h"

CRefreshController::Session::Session(CRefreshController& controller, RefreshKind kind)
    : m_controller(controller), m_window(controller.m_doc.GetEnv().CreateProgressWindow(RefreshCaption(kind))) {
  m_controller.m_running = true;
  m_controller.m_cancel = false;
  m_controller.m_progressWindow = m_window.get();
}

CRefreshController::Session::~Session() {
  m_controller.m_cancel = false;
  m_controller.m_running = false;
  m_controller.m_progressWindow = nullptr;
}

void CRefreshController::Refresh(RefreshKind kind) {
  const Session session = Begin(kind);
  CFolderScan(m_doc, m_cancel).Refresh(kind, session.Window());
  m_doc.SetIndexComplete(!m_cancel);
}

void CRefreshController::RestartWatcher(RescanDone rescanned) {
  // The old watcher stops (and waits for a rescan it is in) before the new
  // one reads the folder list.
  StopWatcher();
  m_watcher = std::make_unique<CWatcherThread>(m_doc, std::move(rescanned));
}
