// Change notifications for a few folder trees, waited on together by one
// thread: the platform tells that something below a folder changed, never
// what, so the one who waits rescans the folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ChangeNotifier {
 public:
  virtual ~ChangeNotifier() = default;

  // How many folders one notifier can watch (what a single platform wait
  // can take).
  static constexpr size_t kMaxFolders = 64;

  // Starts watching `folder` and everything below it for files and folders
  // created, deleted, renamed or written. False when the platform refuses
  // (a missing folder, no access) or kMaxFolders are watched already; the
  // folder is then not watched. Watched folders are numbered in the order
  // they were added.
  virtual bool Add(const std::string& folder) = 0;

  enum class WaitResult {
    kChanged,  // `index`: the lowest-numbered folder that changed
    kStopped,  // Stop was called
    kFailed,   // `index`: the folder whose notification broke, or
               // kUnknown when the platform cannot say which
    kTimeout,  // nothing happened for `timeoutMs`
  };
  static constexpr size_t kUnknown = static_cast<size_t>(-1);
  // Blocks until a watched folder changes, Stop is called or `timeoutMs`
  // have passed; it waits out the time even with no folder watched. It may
  // return kTimeout early, never kChanged for nothing.
  virtual WaitResult Wait(size_t& index, uint32_t timeoutMs) = 0;

  // Watches a folder again once its change has been handled. False when the
  // notification broke; the folder should then be dropped.
  virtual bool Rearm(size_t index) = 0;
  // Stops watching one folder; those numbered after it move down by one.
  virtual void Remove(size_t index) = 0;

  // From any thread, at any time: the Wait in progress, or the next one,
  // returns kStopped.
  virtual void Stop() = 0;
};
