#include "database/folder_watcher.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "database/folder_scan.h"
#include "database/velnor_doc.h"
#include "framework/change_notifier.h"

namespace {

// What stands at a folder's path: nothing (gone, or the platform cannot
// tell), or one particular folder.
using Identity = std::optional<FolderIdentity>;

class FolderWatch {
 public:
  FolderWatch(CVelnorDoc& doc, ChangeNotifier& notifier, const RescanDone& rescanned)
      : m_doc(doc), m_env(doc.GetEnv()), m_notifier(notifier), m_rescanned(rescanned) {}

  void Run() {
    if (!Start()) return;
    uint64_t lastCheck = m_env.TickCount();
    for (;;) {
      size_t n = 0;
      const ChangeNotifier::WaitResult result = m_notifier.Wait(n, kCheckIntervalMs);
      switch (result) {
        case ChangeNotifier::WaitResult::kStopped:
          return;
        case ChangeNotifier::WaitResult::kFailed:
          // Without knowing which notification broke, none can be trusted;
          // the next refresh starts the watcher again.
          if (n >= m_watched.size()) return;
          Drop(n);
          break;
        case ChangeNotifier::WaitResult::kChanged:
          Changed(n);
          break;
        case ChangeNotifier::WaitResult::kTimeout:
          break;
      }
      // A folder that never stops changing must not put the check off.
      const uint64_t now = m_env.TickCount();
      if (result == ChangeNotifier::WaitResult::kTimeout || now - lastCheck >= kCheckIntervalMs) {
        Check();
        lastCheck = now;
      }
    }
  }

 private:
  // One folder the notifier watches, numbered as the notifier numbers it.
  // The folder's index in the list is kept, not the folder: the list can
  // change while the watcher waits.
  struct Watched {
    size_t index;
    std::string path;
    Identity identity;  // when it was added
  };
  // One folder not watched now: what stood at its path when last looked at.
  struct Unwatched {
    std::string path;
    Identity identity;
  };

  // False when no folder could ever be watched: none is enabled and from a
  // root (a relative one is never scanned either).
  bool Start() {
    bool any = false;
    CFolder folder;
    for (size_t i = 0; i < ChangeNotifier::kMaxFolders && m_doc.GetFolder(i, folder); ++i) {
      if (!Watchable(folder)) continue;
      any = true;
      // An absent drive or a folder the user lost access to is left out
      // until it comes back; the others are watched meanwhile.
      const Identity identity = IdentityOf(folder.m_strPath);
      if (!Watch(i, folder.m_strPath, identity)) m_unwatched[i] = {folder.m_strPath, identity};
    }
    return any;
  }

  static bool Watchable(const CFolder& folder) {
    return folder.m_bEnabled && IsAbsoluteFolderPath(folder.m_strPath);
  }

  Identity IdentityOf(std::string path) {
    if (path.back() != kPathSeparator) path += kPathSeparator;
    FolderIdentity identity;
    if (!m_env.GetFolderIdentity(path, identity)) return std::nullopt;
    return identity;
  }

  bool Watch(size_t index, const std::string& path, const Identity& identity) {
    if (!m_notifier.Add(path)) return false;
    m_watched.push_back({index, path, identity});
    m_unwatched.erase(index);
    return true;
  }

  // A folder whose notification broke is left alone while the same folder
  // stands at its path, so a notification that breaks at once is not taken
  // up again every few seconds; the next refresh tries it again.
  void Drop(size_t n) {
    const Watched gone = m_watched[n];
    m_notifier.Remove(n);
    m_watched.erase(m_watched.begin() + static_cast<std::ptrdiff_t>(n));
    m_unwatched[gone.index] = {gone.path, IdentityOf(gone.path)};
  }

  void Changed(size_t n) {
    // Armed again before the rescan: a change made while the tree is read
    // fires again and is never lost (Wine forgets changes made between a
    // signal and the re-arming). A folder deleted cannot be re-armed.
    const size_t index = m_watched[n].index;
    if (!m_notifier.Rearm(n)) Drop(n);
    CFolder folder;
    if (m_doc.GetFolder(index, folder) && folder.m_bEnabled) Rescan(index, folder.m_strPath);
  }

  // Compares what stands at each folder's path with what stood there when
  // it was last looked at; only a folder that is not the one watched, or
  // not watched and now there, is rescanned.
  void Check() {
    CFolder folder;
    for (size_t i = 0; i < ChangeNotifier::kMaxFolders && m_doc.GetFolder(i, folder); ++i) {
      if (!Watchable(folder)) continue;
      size_t n = 0;
      while (n < m_watched.size() && m_watched[n].index != i) ++n;
      Identity known;
      if (n < m_watched.size()) {
        // The list changed under the watcher: the one started after it
        // takes the new folder.
        if (m_watched[n].path != folder.m_strPath) continue;
        known = m_watched[n].identity;
      } else {
        const auto it = m_unwatched.find(i);
        if (it != m_unwatched.end() && it->second.path == folder.m_strPath) known = it->second.identity;
      }
      const Identity now = IdentityOf(folder.m_strPath);
      if (now == known) continue;
      if (n < m_watched.size()) {
        m_notifier.Remove(n);
        m_watched.erase(m_watched.begin() + static_cast<std::ptrdiff_t>(n));
      }
      if (!now || !Watch(i, folder.m_strPath, now)) m_unwatched[i] = {folder.m_strPath, now};
      Rescan(i, folder.m_strPath);
    }
  }

  void Rescan(size_t index, const std::string& path) {
    RescanReport report;
    report.folderIndex = index;
    Mutex::TakeLongestHoldOnThisThread();
    report.files = CFolderScan(m_doc).Rescan(path);
    report.longestLockHoldUs = Mutex::TakeLongestHoldOnThisThread();
    if (m_rescanned) m_rescanned(report);
  }

  CVelnorDoc& m_doc;
  Env& m_env;
  ChangeNotifier& m_notifier;
  const RescanDone& m_rescanned;
  std::vector<Watched> m_watched;
  std::map<size_t, Unwatched> m_unwatched;  // by index in the list
};

}  // namespace

void FolderWatchProc(CVelnorDoc& doc, ChangeNotifier& notifier, const RescanDone& rescanned) {
  FolderWatch(doc, notifier, rescanned).Run();
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
