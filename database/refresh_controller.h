// The one owner of a full refresh's state and of the change watcher: whether
// a refresh runs, the cancel asked of it, its progress window, and the
// watcher's thread. The program's frame owns one; velnor-cli and the tests
// make their own.
//
// Threads: the user interface thread runs a refresh, and the refresh pumps
// its messages, so the frame's commands reach IsRunning, Cancel and
// ProgressWindow from inside it; that thread also starts and stops the
// watcher. The cancel is the one value read elsewhere: by the refresh's
// counting pass, on a thread of its own. The watcher's thread rescans the
// document and touches nothing here.
//
// The document must outlive its controller: the watcher uses it until the
// controller stops it.
#pragma once

#include <atomic>
#include <memory>

#include "database/folder_watcher.h"
#include "database/refresh_kind.h"
#include "framework/env.h"

class CVelnorDoc;

class CRefreshController {
 public:
  explicit CRefreshController(CVelnorDoc& doc) : m_doc(doc) {}
  // Stops the watcher, which uses the document.
  ~CRefreshController() { StopWatcher(); }
  CRefreshController(const CRefreshController&) = delete;
  CRefreshController& operator=(const CRefreshController&) = delete;

  // One refresh from its start to its end: while it lives the controller is
  // running, with a progress window made (hidden) for its kind. Its end
  // leaves no cancel pending, nothing running and no window.
  class Session {
   public:
    Session(CRefreshController& controller, RefreshKind kind);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ProgressWindow* Window() const { return m_window.get(); }

   private:
    CRefreshController& m_controller;
    std::unique_ptr<ProgressWindow> m_window;
  };
  [[nodiscard]] Session Begin(RefreshKind kind) { return Session(*this, kind); }

  // The full refresh: every record becomes not found, then every enabled
  // folder is counted and scanned again. Usage data is never touched.
  // Returns when it has finished or was cancelled; meanwhile messages are
  // pumped.
  void Refresh(RefreshKind kind);
  // The running refresh stops at its next entry, and the index is then
  // known to be incomplete. Safe from any thread.
  void Cancel() { m_cancel = true; }
  bool CancelPending() const { return m_cancel; }
  bool IsRunning() const { return m_running; }
  // The running refresh's window; null between refreshes, or where the
  // platform had none to give.
  ProgressWindow* GetProgressWindow() const { return m_progressWindow; }

  // Starts the watcher over the folders as they are now, in place of one
  // that runs; `rescanned` is called on its thread after each rescan.
  void RestartWatcher(RescanDone rescanned);
  // Stops the watcher and waits for it; a rescan in hand finishes first.
  void StopWatcher() { m_watcher.reset(); }

 private:
  CVelnorDoc& m_doc;
  bool m_running = false;
  std::atomic<bool> m_cancel{false};
  ProgressWindow* m_progressWindow = nullptr;  // owned by the running Session
  std::unique_ptr<CWatcherThread> m_watcher;
};
