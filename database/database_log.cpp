// The document's side of the usage log (see usage_log.h for its bytes).
//
// The rule that keeps every use counted once: the uses are the database
// file's counts plus the records of the log whose header names that very
// file. A full save writes the new file and only then starts the log anew,
// naming the new file; a crash between the two leaves a log that names the
// old file, which is then ignored, as the new file holds its uses already.
// Loads and saves take the log for their process alone, so no copy appends
// to a log that another is folding into the file.
//
// Two copies of the program share the one log. Each document knows how much
// of it it has taken in, and marks its own records; a save adds the records
// that other copies appended meanwhile, and a save over a file that another
// copy rewrote takes that file's counts and its log whole.
#include <algorithm>
#include <random>

#include "database/fingerprint.h"
#include "database/velnor_doc.h"

namespace {

// A full save folds the log in once it passes this size (about two thousand
// uses), so that reading it at start-up and at each use stays cheap.
constexpr size_t kCompactLogAt = 256 * 1024;
// Another copy holds the log while it loads or saves a large file.
constexpr uint32_t kLaunchPatienceMs = 2000;

}  // namespace

uint64_t CVelnorDoc::NewMark(Env& env) {
  // The clock joins in where the random device is weak (older runtimes).
  std::random_device device;
  uint64_t mark = (static_cast<uint64_t>(device()) << 32) ^ device();
  mark ^= env.TickCount() * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(env.Now());
  return mark == 0 ? 1 : mark;
}

std::unique_ptr<CLockedFile> CVelnorDoc::TakeUsageLog(const std::string& path, uint32_t patienceMs) {
  std::unique_ptr<CLockedFile> log;
  for (uint32_t waited = 0, wait = 2;; waited += wait, wait = wait < 64 ? wait * 2 : wait) {
    switch (m_env.OpenLockedFile(path, log)) {
      case Env::LockResult::kOk:
        return log;
      case Env::LockResult::kError:
        return nullptr;
      case Env::LockResult::kBusy:
        if (waited >= patienceMs) return nullptr;
        m_env.Pause(wait);
        break;
    }
  }
}

std::unique_ptr<CLockedFile> CVelnorDoc::TakeExistingUsageLog(const std::string& databasePath) {
  // A save creates no log: a load or a use does, where there is one to keep.
  std::string probe;
  if (m_env.ReadWholeFile(UsageLogPath(databasePath), probe) == Env::ReadResult::kNotFound) return nullptr;
  return TakeUsageLog(UsageLogPath(databasePath), kUsageLogSavePatienceMs);
}

size_t CVelnorDoc::AddLoggedUses(const UsageLogContents& log, size_t first, uint64_t except) {
  size_t added = 0;
  MutexLock hold(m_lock);
  for (size_t i = first; i < log.uses.size(); ++i) {
    const LoggedUse& use = log.uses[i];
    if (use.copy == except) continue;
    // A file used but never scanned (its record came after the last save)
    // gets a record as a load would give it.
    CFileInfo* record = m_files.Lookup(use.path);
    if (record == nullptr) record = m_files.Add(use.path);
    if (record->m_nUseCount < INT32_MAX) ++record->m_nUseCount;
    record->m_timeLastUsed = std::max(record->m_timeLastUsed, use.time);
    ++added;
  }
  if (added > 0) m_files.MarkTextChanged();  // the launcher's order follows the counts
  return added;
}

void CVelnorDoc::TakeInUsageLog(const std::string& databasePath, CLockedFile* log, DatabaseLoadReport& report) {
  m_strLogPath = UsageLogPath(databasePath);
  std::string bytes;
  if (!log) {
    // A log this run cannot write (a read-only folder) still holds uses.
    if (m_env.ReadWholeFile(m_strLogPath, bytes) != Env::ReadResult::kOk) return;
    const UsageLogContents contents = DecodeUsageLog(bytes);
    if (contents.valid && contents.header.database == m_fileFingerprint) report.loggedUses = AddLoggedUses(contents, 0, 0);
    return;
  }
  const UsageLogContents contents = ReadUsageLog(*log, bytes);
  if (!contents.valid || contents.header.database != m_fileFingerprint) {
    StartUsageLog(*log);  // one the file has folded in, or none at all
    return;
  }
  report.loggedUses = AddLoggedUses(contents, 0, 0);
  m_logGeneration = contents.header.generation;
  // A tail a crash left halfway is cut off by the next use.
  m_logHeld = m_logSize = contents.wholeBytes;
}

size_t CVelnorDoc::FoldUsageLog(const UsageLogContents& log) {
  if (!log.valid || log.header.database != m_fileFingerprint) return 0;
  size_t first = 0;
  // Of a log this document has read before, only what came after is new.
  if (log.header.generation == m_logGeneration) {
    while (first < log.ends.size() && log.ends[first] <= m_logHeld) ++first;
  }
  return AddLoggedUses(log, first, m_copyId);
}

void CVelnorDoc::StartUsageLog(CLockedFile& log) {
  UsageLogHeader header;
  header.database = m_fileFingerprint;
  header.generation = NewMark(m_env);
  if (!log.Replace(EncodeUsageLogHeader(header))) return;
  m_logGeneration = header.generation;
  m_logHeld = m_logSize = UsageLogContents::kHeaderBytes;
}

bool CVelnorDoc::LogUse(std::string_view path, VelnorTime now) {
  if (m_strLogPath.empty()) return false;
  const std::unique_ptr<CLockedFile> log = TakeUsageLog(m_strLogPath, kLaunchPatienceMs);
  if (!log) return false;
  std::string bytes;
  if (!log->ReadAll(bytes)) return false;
  UsageLogHeader header;
  size_t whole = bytes.size();
  if (!DecodeUsageLogHeader(bytes, header)) {
    StartUsageLog(*log);  // removed, or damaged beyond its header
    whole = UsageLogContents::kHeaderBytes;
  } else if (whole != m_logSize) {
    // Others appended, or an append of this run was cut short: what a
    // crash left halfway is cut off, so that this record is not written
    // after it, where no reader would reach it.
    whole = DecodeUsageLog(bytes).wholeBytes;
    if (whole < bytes.size() && !log->Replace(std::string_view(bytes).substr(0, whole))) return false;
  }
  LoggedUse use;
  use.copy = m_copyId;
  use.time = now;
  use.path.assign(path);
  const std::string record = EncodeLoggedUse(use);
  if (!log->Append(record)) return false;
  m_logSize = whole + record.size();
  return true;
}

bool CVelnorDoc::UsageLogWantsCompaction() const { return m_logSize > kCompactLogAt; }

size_t CVelnorDoc::ApplyUsageLog(const std::string& path, std::string_view loaded) {
  std::string bytes;
  if (m_env.ReadWholeFile(UsageLogPath(path), bytes) != Env::ReadResult::kOk) return 0;
  const UsageLogContents log = DecodeUsageLog(bytes);
  if (!log.valid || log.header.database != Fingerprint(loaded)) return 0;
  return AddLoggedUses(log, 0, 0);
}
