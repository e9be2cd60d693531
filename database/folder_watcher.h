// The change watcher keeps the index current between refreshes: a thread of
// its own waits for the platform to report a change below any enabled
// folder, rescans that folder's tree into the document and says so, so that
// an open launcher can refill its list on its own thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class ChangeNotifier;
class CVelnorDoc;

// What one rescan did.
struct RescanReport {
  size_t folderIndex = 0;   // in the folder list
  size_t files = 0;         // found in the folder's tree
  uint64_t longestLockHoldUs = 0;  // the longest the document waited for it
};

// Called on the watcher's thread after each rescan. It must not touch a
// window: it can only post.
using RescanDone = std::function<void(const RescanReport&)>;

// The watcher thread's body. Watches the enabled folders among the first
// ChangeNotifier::kMaxFolders of the list as it stands now and rescans a
// folder each time it changes; a folder disabled or removed since is
// skipped. Every kCheckIntervalMs it also looks at what stands at each
// folder's path, since a notification can neither see its folder come back
// nor (on Windows, where it follows the folder) see it renamed away: a
// folder that is gone, or another folder in its place, is rescanned (its
// files lost, or found), and watched again once it can be. Returns when the
// notifier is stopped, or at once when no folder could ever be watched.
void FolderWatchProc(CVelnorDoc& doc, ChangeNotifier& notifier, const RescanDone& rescanned);

// Often enough that a folder made again is watched before anyone looks for
// what it holds; each look asks only for the identity of a handful of
// folders, never lists one.
inline constexpr uint32_t kCheckIntervalMs = 3000;

class CWatcherThread {
 public:
  // Starts watching at once, on a new thread; on a platform without change
  // notifications no thread is started.
  CWatcherThread(CVelnorDoc& doc, RescanDone rescanned);
  // Stops the thread and waits for it; a rescan in hand finishes first. The
  // program itself ends its process with the watcher still waiting.
  ~CWatcherThread();
  CWatcherThread(const CWatcherThread&) = delete;
  CWatcherThread& operator=(const CWatcherThread&) = delete;

 private:
  std::unique_ptr<ChangeNotifier> m_notifier;
  std::thread m_thread;
};
