// The database file on the disk: read with patience, never replaced by a run
// that could not read it, and merged with what another copy of the program
// (or velnor-cli) wrote there meanwhile.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "database/velnor_doc.h"

namespace {

constexpr char kDamagedSuffix[] = ".damaged";
constexpr char kUnreadableSuffix[] = ".unreadable-";
constexpr char kNewSuffix[] = ".new";

// Whether the file is still the one this document read or wrote: a hash of
// the bytes and their length, only ever compared within one run. Four
// independent lanes of eight bytes keep the processor's multipliers busy: a
// byte at a time, a million records' file took longer than reading it.
uint64_t Fingerprint(std::string_view bytes) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t lanes[4] = {bytes.size(), 0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull};
  const auto mix = [](uint64_t lane, uint64_t word) {
    lane = (lane ^ word) * kMultiplier;
    return lane ^ (lane >> 29);
  };
  size_t pos = 0;
  for (; pos + 32 <= bytes.size(); pos += 32) {
    for (int i = 0; i < 4; ++i) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + pos + 8 * i, 8);
      lanes[i] = mix(lanes[i], word);
    }
  }
  for (int i = 0; pos < bytes.size(); ++pos, i = (i + 1) % 4) {
    lanes[i] = mix(lanes[i], static_cast<unsigned char>(bytes[pos]) + 0x100ull);
  }
  uint64_t hash = 0;
  for (const uint64_t lane : lanes) hash = mix(hash, lane);
  return hash;
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

DatabaseLoadReport CVelnorDoc::LoadDatabaseFrom(const std::string& path) {
  std::string bytes;
  const Env::ReadResult read = ReadDatabaseFile(path, bytes);
  DatabaseLoadReport report;
  m_bUnreadable = read == Env::ReadResult::kBusy || read == Env::ReadResult::kError;
  m_fileFingerprint.reset();
  if (read == Env::ReadResult::kOk) {
    m_fileFingerprint = Fingerprint(bytes);
    std::string_view kept;
    report = LoadDatabaseKept(std::move(bytes), kept);
    if (report.NeedsBackup()) {
      // The next save writes only what could be read, or repeated keys
      // merged; keep the original bytes so nothing the user had is gone.
      const std::string backup = path + kDamagedSuffix;
      if (m_env.WriteFileAtomic(backup, kept)) report.backupPath = backup;
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
  // The bytes read to see whether the file changed become the buffer the
  // new ones are written into: its pages are already the program's, and
  // taking tens of megabytes of fresh ones costs more than serialising.
  std::string bytes;
  if (m_bUnreadable) {
    target = SetAsideUnreadable(path);
  } else if (!MergeChangesOnDisk(path, bytes)) {
    return false;
  }
  bytes.clear();
  {
    CArchive ar(&bytes);
    Serialize(ar);
  }
  if (!m_env.WriteFileAtomic(target, bytes)) return false;
  if (target == path) {
    m_bUnreadable = false;
    m_fileFingerprint = Fingerprint(bytes);
    MutexLock hold(m_lock);
    m_launchesSinceSave.clear();
  }
  return true;
}

bool CVelnorDoc::ReplaceDatabaseFile(const std::string& path) {
  const std::string bytes = SaveDatabaseBytes();
  if (!m_env.WriteFileAtomic(path, bytes)) return false;
  m_bUnreadable = false;
  m_fileFingerprint = Fingerprint(bytes);
  MutexLock hold(m_lock);
  m_launchesSinceSave.clear();
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

bool CVelnorDoc::MergeChangesOnDisk(const std::string& path, std::string& bytes) {
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
  std::string_view kept;
  if (disk.LoadDatabaseKept(std::exchange(bytes, std::string()), kept).damaged) {
    // What could be read is merged; the whole file is kept aside as a
    // damaged load keeps it.
    m_env.WriteFileAtomic(path + kDamagedSuffix, kept);
  }
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
