// The refresh and the scan of a folder tree. A refresh walks every enabled
// folder twice: a counting pass that gives the progress bar its exact range,
// then an update pass that finds every file again. One CFolderScan serves
// one refresh (or one rescan) and holds what its passes share: the
// document, its platform, and the pace of the message pump.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/refresh_kind.h"
#include "database/velnor_doc.h"

class FolderChain;

// Whether `path` names a folder from a root, by the rules of the platform
// whose separator is `separator`: on Windows a drive path "X:\..." or a UNC
// path "\\server\share..." (Windows takes "/" for "\" in both), elsewhere
// a path that starts with "/". Only such a folder is scanned or watched: an
// empty or relative one would be taken from wherever the program was
// started, and the empty one becomes the separator alone, the root of the
// whole drive (natively with /proc and /sys), whose walk never ends.
bool IsAbsoluteFolderPath(std::string_view path, char separator = kPathSeparator);

class CFolderScan {
 public:
  // For a rescan, which nothing cancels.
  explicit CFolderScan(CVelnorDoc& doc) : m_doc(doc), m_env(doc.GetEnv()) {}
  // For a refresh: once `cancel` is set, every pass stops at its next entry.
  CFolderScan(CVelnorDoc& doc, const std::atomic<bool>& cancel)
      : m_doc(doc), m_env(doc.GetEnv()), m_cancel(&cancel) {}

  // The refresh's work (CRefreshController::Refresh): marks every record not
  // found, then counts and scans every enabled folder, stepping `window`
  // (null: none), which shows once the count is in if the kind says so.
  void Refresh(RefreshKind kind, ProgressWindow* window);

  // The two passes over one folder tree; nothing for a folder that is not
  // absolute. A link that leads back to a folder the scan is inside of is
  // counted as an entry and not entered, in both passes alike.
  // The counting pass: adds the tree's entries to `count`.
  void CountEntries(std::string folder, uint32_t& count);
  // The update pass: the records of the tree's files are updated, stepping
  // `progress` (null: none) once per entry. A file the launcher could not
  // open is stepped over like a "." entry, never recorded. Files found are
  // applied to the document in batches: Flush applies what is still pending.
  void ScanFiles(std::string folder, ProgressWindow* progress);
  void Flush();

  // The change watcher's rescan of one folder tree: its files are found
  // again or added, then those that are gone are marked not found. No
  // progress window, and the document's lock is never held for long.
  // Returns how many files it found; none, with nothing marked, for a
  // folder that is not absolute.
  size_t Rescan(const std::string& folder);

  // The counting pass alone: how many entries the enabled folders hold.
  // Stops early once `cancel` (null: nothing) is set.
  static uint32_t CountEnabledFolders(CVelnorDoc& doc, const std::atomic<bool>* cancel);

  // How long the message queue may wait between two drains. The scan asks
  // after every directory entry, and even an empty queue costs a trip into
  // the window server (under Wine, to another process): a million entries
  // would spend most of a refresh there. Nobody notices input that waits
  // this long.
  static constexpr uint64_t kPumpIntervalMs = 15;
  // Files applied under one hold of the document's lock: few enough that
  // the hold stays far below a millisecond, enough that a refresh of a
  // million files does not take the lock a million times.
  static constexpr size_t kApplyBatch = 256;

 private:
  // Calls scan(path) for each enabled folder, taken by index: the list may
  // change while messages are pumped.
  template <typename ScanOne>
  void ForEachEnabledFolder(ScanOne&& scan);
  enum class Pass { kCount, kUpdate };
  void Walk(std::string folder, Pass pass, uint32_t* pCount, ProgressWindow* pProgress);
  // A pass's work on the chain's current folder, and below it.
  void ScanCurrent(FolderChain& chain, Pass pass, uint32_t* pCount, ProgressWindow* pProgress);
  // Whether the launcher could open the file `name` in `folder`: a path
  // past MAX_PATH only through its short form, where it has one.
  bool CanOpen(const std::string& folder, const std::string& name);
  // Reads what the record of one file needs from the disk (its tag), before
  // the document's lock is taken.
  ScannedFile ReadFile(const std::string& folder, const std::string& name);
  void PumpMessages();
  // One entry of the update pass for the progress window: held back until
  // the counting pass, which runs beside it, has given the bar its range.
  void Step(ProgressWindow* pProgress);
  void StartProgress(ProgressWindow* pProgress, uint32_t range);

  CVelnorDoc& m_doc;
  Env& m_env;
  const std::atomic<bool>* m_cancel = nullptr;  // null: a rescan, never cancelled
  // The first entry of a scan always drains the queue: a cancel chosen
  // right after the start, or the hot key, is answered at once.
  bool m_pumpMessages = true;
  bool m_pumped = false;
  uint64_t m_lastPump = 0;
  std::vector<ScannedFile> m_pending;
  // A rescan's record of what it found, or null.
  std::vector<const CFileInfo*>* m_found = nullptr;
  // A refresh's progress: the counting walk, whether the window shows once
  // the count is in, whether the bar has its range, and the entries read
  // before it had.
  class CountingWalk* m_counting = nullptr;
  bool m_showProgress = false;
  bool m_progressStarted = false;
  uint32_t m_stepsBeforeRange = 0;
};
