// The database file on the disk: read with patience, never replaced by a run
// that could not read it, and merged with what another copy of the program
// (or velnor-cli) wrote there meanwhile.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "database/velnor_doc.h"

namespace {

constexpr char kDamagedSuffix[] = ".damaged";
constexpr char kUnreadableSuffix[] = ".unreadable-";
constexpr char kNewSuffix[] = ".new";

// FNV-1a over the bytes and their length: whether the file is still the one
// this document read or wrote.
uint64_t Fingerprint(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull ^ bytes.size();
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// YYYYMMDD-HHMMSS of a time in seconds since 1970 (UTC).
std::string Stamp(int64_t seconds) {
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  // Days to a civil date, after Howard Hinnant's algorithm.
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  // Room for any 64-bit value in each field, so the compiler can prove
  // nothing is cut; real dates take 15 characters.
  char text[128];
  std::snprintf(text, sizeof(text), "%04lld%02lld%02lld-%02lld%02lld%02lld", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
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

DatabaseLoadReport CVelnorDoc::LoadDatabaseFrom(const std::string& path) {
  std::string bytes;
  const Env::ReadResult read = ReadDatabaseFile(path, bytes);
  DatabaseLoadReport report;
  m_bUnreadable = read == Env::ReadResult::kBusy || read == Env::ReadResult::kError;
  m_fileFingerprint.reset();
  if (read == Env::ReadResult::kOk) {
    report = LoadDatabaseBytes(bytes);
    m_fileFingerprint = Fingerprint(bytes);
    if (report.NeedsBackup()) {
      // The next save writes only what could be read, or repeated keys
      // merged; keep the original bytes so nothing the user had is gone.
      const std::string backup = path + kDamagedSuffix;
      if (m_env.WriteFileAtomic(backup, bytes)) report.backupPath = backup;
    }
  } else if (m_bUnreadable) {
    // Someone who has a database is no first-time user: no guide.
    m_bFirstRun = false;
    report.unreadable = true;
    report.busy = read == Env::ReadResult::kBusy;
  }
  m_lastLoad = report;
  return report;
}

bool CVelnorDoc::SaveDatabaseTo(const std::string& path) {
  std::string target = path;
  if (m_bUnreadable) {
    target = SetAsideUnreadable(path);
  } else if (!MergeChangesOnDisk(path)) {
    return false;
  }
  const std::string bytes = SaveDatabaseBytes();
  if (!m_env.WriteFileAtomic(target, bytes)) return false;
  if (target == path) {
    m_bUnreadable = false;
    m_fileFingerprint = Fingerprint(bytes);
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

bool CVelnorDoc::MergeChangesOnDisk(const std::string& path) {
  std::string bytes;
  switch (ReadDatabaseFile(path, bytes)) {
    case Env::ReadResult::kNotFound:
      return true;  // nothing there to keep
    case Env::ReadResult::kBusy:
    case Env::ReadResult::kError:
      return false;  // what is there now cannot be read, so it is not replaced
    case Env::ReadResult::kOk:
      break;
  }
  if (m_fileFingerprint == Fingerprint(bytes)) return true;
  CVelnorDoc disk(m_env);
  if (disk.LoadDatabaseBytes(bytes).damaged) {
    // What could be read is merged; the whole file is kept aside as a
    // damaged load keeps it.
    m_env.WriteFileAtomic(path + kDamagedSuffix, bytes);
  }
  MergeUsageFrom(disk);
  return true;
}

void CVelnorDoc::MergeUsageFrom(CVelnorDoc& disk) {
  CFileMap::Records added;
  MutexLock hold(m_lock);
  MutexLock holdDisk(disk.m_lock);
  for (const auto& theirs : disk.m_files) {
    CFileInfo* mine = m_files.Lookup(theirs->m_strPath);
    if (mine == nullptr) {
      auto copy = std::make_unique<CFileInfo>();
      copy->SetKeyPath(theirs->m_strPath);
      MergeUsage(*copy, *theirs);
      added.push_back(std::move(copy));
      continue;
    }
    // The file's count already holds every use before this run's launches.
    const auto launched = m_launchesSinceSave.find(mine->m_strPath);
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
