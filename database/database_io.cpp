// The database file on the disk: read with patience, never replaced by a run
// that could not read it, and merged with what another copy of the program
// (or velnor-cli) wrote there meanwhile.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/fingerprint.h"
#include "database/velnor_doc.h"

namespace {

constexpr char kDamagedSuffix[] = ".damaged";
constexpr char kUnreadableSuffix[] = ".unreadable-";
constexpr char kNewSuffix[] = ".new";
// A file larger than this is read whole only when its first part could be
// the start of a database.
constexpr size_t kProbeBytes = size_t{1} << 20;

// Whether the file at `path` still has `fingerprint`, read in pieces: a save
// that finds its own file unchanged (nearly always) never holds a second
// copy of tens of megabytes, whose fresh pages cost more than reading them.
bool FileHasFingerprint(Env& env, const std::string& path, uint64_t fingerprint) {
  const std::unique_ptr<CFile> file = env.OpenFile(path);
  if (!file) return false;
  std::vector<char> piece(size_t{1} << 20);
  Fingerprinter fingerprinter;
  for (;;) {
    const size_t read = file->Read(piece.data(), piece.size());
    fingerprinter.Add(piece.data(), read);
    if (read < piece.size()) break;  // the end, or an error: then it will not match
  }
  return fingerprinter.Finish() == fingerprint;
}

// YYYYMMDD-HHMMSS of a time in seconds since 1970 (UTC).
std::string Stamp(int64_t seconds) {
  const CalendarTime t = UtcCalendar(seconds);
  char text[80];
  std::snprintf(text, sizeof(text), "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

}  // namespace

Env::ReadResult CVelnorDoc::ReadDatabaseFile(const std::string& path, std::string& bytes) {
  // A virus scanner, a backup or a sync tool holds a file for moments at a
  // time, typically at logon: wait a few seconds before giving up on it.
  Env::ReadResult result = m_env.ReadWholeFile(path, bytes);
  for (uint32_t wait = 100; result == Env::ReadResult::kBusy && wait <= 1600; wait *= 2) {
    m_env.Pause(wait);
    result = m_env.ReadWholeFile(path, bytes);
  }
  return result;
}

Env::ReadResult CVelnorDoc::ReadPlausibleDatabase(const std::string& path, std::string& bytes, bool& cut) {
  cut = false;
  std::unique_ptr<CFile> file = m_env.OpenFile(path);
  uint64_t length = 0;
  if (file && file->GetLength(length) && length > kProbeBytes) {
    std::string head(kProbeBytes, '\0');
    head.resize(file->Read(head.data(), head.size()));
    // Only a first part that ran out of bytes could read on: one damaged
    // within it, or ended before its end, is all of the file worth holding.
    const DatabaseLoadReport probe = CVelnorDoc(m_env).LoadDatabaseBytes(head);
    if (head.size() == kProbeBytes && !(probe.damaged && probe.ranOut)) {
      bytes = std::move(head);
      cut = true;
      return Env::ReadResult::kOk;
    }
  }
  file.reset();
  return ReadDatabaseFile(path, bytes);
}

DatabaseLoadReport CVelnorDoc::LoadDatabaseFrom(const std::string& path) {
  DatabaseLoadReport report;
  if (LoadHeldDatabase(path, report) && !SaveDatabaseTo(path)) {
    // The original goes back rather than leave no database at all.
    m_env.RenameFile(report.backupPath, path);
    report.backupPath.clear();
  }
  m_lastLoad = report;
  return report;
}

bool CVelnorDoc::LoadHeldDatabase(const std::string& path, DatabaseLoadReport& report) {
  // Held from before the file is read: a save by another copy is then
  // either wholly before this load or wholly after it.
  const std::unique_ptr<CLockedFile> log = TakeUsageLog(UsageLogPath(path), kUsageLogSavePatienceMs);
  std::string bytes;
  bool cut = false;
  const Env::ReadResult read = ReadPlausibleDatabase(path, bytes, cut);
  m_bUnreadable = read == Env::ReadResult::kBusy || read == Env::ReadResult::kError;
  m_fileFingerprint.reset();
  std::string_view kept;
  if (read == Env::ReadResult::kOk) {
    m_fileFingerprint = Fingerprint(bytes);
    report = LoadDatabaseKept(std::move(bytes), kept);
    report.cut = cut;
  } else if (m_bUnreadable) {
    // Someone who has a database is no first-time user: no guide.
    m_bFirstRun = false;
    report.unreadable = true;
    report.busy = read == Env::ReadResult::kBusy;
  }
  // The log of a file that could not be read stays for the file.
  if (!m_bUnreadable) TakeInUsageLog(path, log.get(), report);
  if (!report.NeedsBackup()) return false;
  // The next save writes only what could be read, or repeated keys merged:
  // the original is renamed aside (a huge one is never copied), and what
  // was read is saved in its place at once.
  const std::string backup = path + kDamagedSuffix;
  m_env.RemoveFile(backup);
  if (m_env.RenameFile(path, backup)) {
    report.backupPath = backup;
    m_fileFingerprint.reset();
    return true;
  }
  if (!cut && m_env.WriteFileAtomic(backup, kept)) report.backupPath = backup;
  return false;
}

bool CVelnorDoc::SaveDatabaseTo(const std::string& path) {
  const std::unique_ptr<CLockedFile> log = TakeExistingUsageLog(path);
  std::string target = path;
  if (m_bUnreadable) {
    target = SetAsideUnreadable(path);
    // The log's uses belong to the file set aside: they go aside with it.
    std::string logged;
    if (log && !m_strSetAside.empty() && log->ReadAll(logged) && DecodeUsageLog(logged).valid) {
      m_env.WriteFileAtomic(UsageLogPath(m_strSetAside), logged);
    }
  } else if (!MergeChangesOnDisk(path, log.get())) {
    return false;
  }
  return WriteDatabaseFile(target, target == path, log.get());
}

bool CVelnorDoc::ReplaceDatabaseFile(const std::string& path) {
  const std::unique_ptr<CLockedFile> log = TakeExistingUsageLog(path);
  return WriteDatabaseFile(path, true, log.get());
}

bool CVelnorDoc::WriteDatabaseFile(const std::string& target, bool isTheFile, CLockedFile* log) {
  const std::string bytes = SaveDatabaseBytes();
  if (!m_env.WriteFileAtomic(target, bytes)) return false;
  if (isTheFile) {
    // The file now holds every launch of this run, and every use its log
    // held: the log starts anew (a crash before that leaves a log naming
    // the old file, which no load applies to this one).
    m_bUnreadable = false;
    m_fileFingerprint = Fingerprint(bytes);
    m_strLogPath = UsageLogPath(target);
    if (log) StartUsageLog(*log);
    MutexLock hold(m_lock);
    m_launchesSinceSave.clear();
  }
  return true;
}

std::string CVelnorDoc::SetAsideUnreadable(const std::string& path) {
  const std::string aside = path + kUnreadableSuffix + Stamp(m_env.Now());
  if (m_env.RenameFile(path, aside)) {
    m_strSetAside = aside;
    return path;
  }
  std::string ignored;
  if (m_env.ReadWholeFile(path, ignored) == Env::ReadResult::kNotFound) return path;  // gone since
  return path + kNewSuffix;
}

bool CVelnorDoc::MergeChangesOnDisk(const std::string& path, CLockedFile* log) {
  std::string logBytes;
  const UsageLogContents logged = log ? ReadUsageLog(*log, logBytes) : UsageLogContents();
  // The file is the one this document holds: only other copies' uses since
  // it last read the log are new.
  if (m_fileFingerprint && FileHasFingerprint(m_env, path, *m_fileFingerprint)) {
    FoldUsageLog(logged);
    return true;
  }
  std::string bytes;
  switch (ReadDatabaseFile(path, bytes)) {
    case Env::ReadResult::kNotFound:
      if (!m_fileFingerprint) FoldUsageLog(logged);
      return true;  // nothing there to keep
    case Env::ReadResult::kBusy:
    case Env::ReadResult::kError:
      return false;  // what is there now cannot be read, so it is not replaced
    case Env::ReadResult::kOk:
      break;
  }
  const uint64_t onDisk = Fingerprint(bytes);
  if (m_fileFingerprint == onDisk) {
    FoldUsageLog(logged);
    return true;
  }
  // Another copy or the tool rewrote the file: its counts, with its log's
  // uses, are the disk's (this run's logged uses are among them).
  CVelnorDoc disk(m_env);
  std::string_view kept;
  if (disk.LoadDatabaseKept(std::move(bytes), kept).damaged) {
    // What could be read is merged; the whole file is kept aside as a
    // damaged load keeps it.
    m_env.WriteFileAtomic(path + kDamagedSuffix, kept);
  }
  if (logged.valid && logged.header.database == onDisk) disk.AddLoggedUses(logged, 0, 0);
  MergeUsageFrom(disk);
  return true;
}

void CVelnorDoc::MergeUsageFrom(CVelnorDoc& disk) {
  CFileMap::Records added;
  MutexLock hold(m_lock);
  MutexLock holdDisk(disk.m_lock);
  for (const auto& theirs : disk.m_files) {
    CFileInfo* mine = m_files.Lookup(theirs->Path());
    if (mine == nullptr) {
      auto copy = std::make_unique<CFileInfo>();
      copy->SetKeyPath(theirs->Path());
      MergeUsage(*copy, *theirs);
      added.push_back(std::move(copy));
      continue;
    }
    // The file's count already holds every use before this run's launches.
    const auto launched = m_launchesSinceSave.find(std::string(mine->Path()));
    mine->m_nUseCount = launched == m_launchesSinceSave.end() ? 0 : launched->second;
    MergeUsage(*mine, *theirs);
  }
  for (auto& record : added) m_files.Insert(std::move(record));
  m_files.MarkTextChanged();  // the launcher's order follows the counts
}

void CVelnorDoc::RemoveSaveLeftovers(const std::string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  if (cut == std::string::npos) return;
  const std::string folder = path.substr(0, cut + 1);
  const std::string name = path.substr(cut + 1);
  const std::unique_ptr<DirectorySearch> search = m_env.OpenDirectory(folder);
  if (!search) return;
  DirectoryEntry entry;
  std::vector<std::string> leftovers;
  while (search->Next(entry)) {
    if (!entry.isDirectory && IsAtomicWriteTemporary(entry.name, name)) leftovers.push_back(folder + entry.name);
  }
  // Another copy's save in progress holds its file open without sharing,
  // so it is never removed under it.
  for (const std::string& leftover : leftovers) m_env.RemoveFile(leftover);
}
