#include "database/folder_watcher.h"

#include <vector>

#include "database/folder_scan.h"
#include "database/velnor_doc.h"
#include "framework/change_notifier.h"

void FolderWatchProc(CVelnorDoc& doc, ChangeNotifier& notifier, const RescanDone& rescanned) {
  // The folder's index by the notifier's number for it. The index is kept,
  // not the folder: the list can change while the watcher waits.
  std::vector<size_t> watched;
  CFolder folder;
  for (size_t i = 0; i < ChangeNotifier::kMaxFolders && doc.GetFolder(i, folder); ++i) {
    // An absent drive or a folder the user lost access to is left out; the
    // others are still worth watching. So is a relative folder: it is never
    // scanned either.
    if (folder.m_bEnabled && IsAbsoluteFolderPath(folder.m_strPath) && notifier.Add(folder.m_strPath)) {
      watched.push_back(i);
    }
  }
  const auto drop = [&](size_t n) {
    notifier.Remove(n);
    watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(n));
  };
  while (!watched.empty()) {
    size_t n = 0;
    switch (notifier.Wait(n)) {
      case ChangeNotifier::WaitResult::kStopped:
        return;
      case ChangeNotifier::WaitResult::kFailed:
        // Without knowing which notification broke, none can be trusted.
        if (n >= watched.size()) return;
        drop(n);
        continue;
      case ChangeNotifier::WaitResult::kChanged:
        break;
    }
    // Armed again before the rescan: a change made while the tree is read
    // fires again and is never lost (Wine forgets changes made between a
    // signal and the re-arming).
    const size_t index = watched[n];
    if (!notifier.Rearm(n)) drop(n);
    if (doc.GetFolder(index, folder) && folder.m_bEnabled) {
      RescanReport report;
      report.folderIndex = index;
      Mutex::TakeLongestHoldOnThisThread();
      report.files = CFolderScan(doc).Rescan(folder.m_strPath);
      report.longestLockHoldUs = Mutex::TakeLongestHoldOnThisThread();
      if (rescanned) rescanned(report);
    }
  }
}

CWatcherThread::CWatcherThread(CVelnorDoc& doc, RescanDone rescanned)
    : m_notifier(doc.GetEnv().CreateChangeNotifier()) {
  if (!m_notifier) return;
  m_thread = std::thread([&doc, notifier = m_notifier.get(), rescanned = std::move(rescanned)] {
    FolderWatchProc(doc, *notifier, rescanned);
  });
}

CWatcherThread::~CWatcherThread() {
  if (!m_thread.joinable()) return;
  m_notifier->Stop();
  m_thread.join();
}
