#include "database/velnor_doc.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

constexpr const char kDatabaseFolder[] = "Plovant";
constexpr const char kDatabaseFile[] = "velnor.dat";
// Beside velnor.exe, it makes the copy portable: its data stays beside it.
constexpr const char kPortableMarker[] = "portable.txt";

}  // namespace

CVelnorDoc::CVelnorDoc(Env& env) : m_env(env), m_copyId(NewMark(env)) {}

bool CVelnorDoc::OnNewDocument() {
  LoadDatabase();
  return true;
}

std::string CVelnorDoc::PrepareDatabasePath() {
  const std::string program = ProgramFolder();
  if (m_portable == Portable::kUnknown) m_portable = ChoosePortable(program);
  if (m_portable == Portable::kBesideProgram) return m_databasePath = program + kPathSeparator + kDatabaseFile;
  std::string folder;
  if (!m_env.GetSpecialFolderPath(kCsidlAppData, folder) || folder.empty()) {
    // Without an application-data folder, keep the database beside the
    // program rather than losing every count at exit.
    folder = program.empty() ? std::string(".") : program;
  }
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  folder += kDatabaseFolder;
  m_env.MakeDirectory(folder);
  return m_databasePath = folder + kPathSeparator + kDatabaseFile;
}

std::string CVelnorDoc::ProgramFolder() const {
  std::string folder = m_env.ModuleFilePath();
  const size_t slash = folder.rfind(kPathSeparator);
  folder.erase(slash == std::string::npos ? 0 : slash);
  return folder;
}

CVelnorDoc::Portable CVelnorDoc::ChoosePortable(const std::string& program) {
  if (program.empty()) return Portable::kNo;
  std::string marker;
  if (m_env.ReadWholeFile(program + kPathSeparator + kPortableMarker, marker) == Env::ReadResult::kNotFound) {
    return Portable::kNo;
  }
  // A folder on a read-only share or locked down: the data goes where an
  // installed copy keeps it rather than nowhere.
  const std::string probe = program + kPathSeparator + kDatabaseFile + ".write-test";
  if (!m_env.WriteFileAtomic(probe, std::string_view())) return Portable::kCannotWrite;
  m_env.RemoveFile(probe);
  return Portable::kBesideProgram;
}

void CVelnorDoc::LoadDatabase() {
  const std::string path = PrepareDatabasePath();
  RemoveSaveLeftovers(path);
  LoadDatabaseFrom(path);
}

bool CVelnorDoc::SaveDatabase() { return SaveDatabaseTo(PrepareDatabasePath()); }

DatabaseLoadReport CVelnorDoc::LoadDatabaseBytes(std::string_view bytes) {
  std::string_view kept;
  return LoadDatabaseKept(std::string(bytes), kept);
}

DatabaseLoadReport CVelnorDoc::LoadDatabaseKept(std::string bytes, std::string_view& kept) {
  DatabaseLoadReport report;
  report.opened = true;
  {
    // The file map keeps the bytes: its records' paths are views into them.
    {
      MutexLock hold(m_lock);
      kept = m_files.KeepText(std::move(bytes));
    }
    CArchive ar(kept);
    Serialize(ar);
    if (ar.Failed()) {
      report.damaged = true;
      report.failOffset = ar.FailOffset();
      report.failReason = ar.FailReason();
      report.ranOut = ar.RanOut();
      // The options and the placement come last: a failure anywhere
      // before the end left them as a new document has them.
      report.settingsLost = true;
    } else if (!ar.AtEnd()) {
      report.damaged = true;
      report.failOffset = ar.Offset();
      report.failReason = "unexpected data after the end";
    }
  }
  MutexLock hold(m_lock);
  report.records = m_files.size();
  report.repeatedKeys = m_repeatedKeysDuringLoad;
  m_repeatedKeysDuringLoad = 0;
  return report;
}

std::string CVelnorDoc::SaveDatabaseBytes() {
  std::string bytes;
  CArchive ar(&bytes);
  Serialize(ar);
  return bytes;
}

void CVelnorDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    MutexLock hold(m_lock);
    // What the records take (a length of 1, 3 or 7 bytes, the path, the
    // 2-byte object tag, the 12-byte body) and a little for the rest.
    size_t bytes = 256;
    uint32_t kept = 0;
    for (const CFileInfo* record : m_files) {
      if (!Keeps(*record)) continue;
      const size_t length = record->Path().size();
      bytes += (length < 255 ? 1 : length < 0xFFFE ? 3 : 7) + length + 14;
      ++kept;
    }
    for (const auto& folder : m_folders) bytes += folder->m_strName.size() + folder->m_strPath.size() + 32;
    ar.Reserve(bytes);
    ar.WriteCount(kept);
    // By slot: an archive writes through the same Serialize that reads.
    for (size_t slot = 0; slot < m_files.size(); ++slot) {
      CFileInfo& record = *m_files.at(slot);
      if (!Keeps(record)) continue;
      ar.WriteText(record.Path());
      ar.WriteObject(record);
    }
    ar.WriteCount(static_cast<uint32_t>(m_folders.size()));
    for (const auto& folder : m_folders) ar.WriteObject(*folder);
  } else {
    MutexLock hold(m_lock);
    LoadFileRecords(ar);
    LoadFolders(ar);
  }
  SerializeStoredSettings(ar, *this);
}

bool CVelnorDoc::Keeps(const CFileInfo& record) const {
  // Twenty thousand deleted files would otherwise stay in the file for good.
  return !m_bIndexComplete || record.m_bFound || record.m_nUseCount != 0 || record.m_timeLastUsed != 0 ||
         record.IsTagged();
}

void CVelnorDoc::LoadFileRecords(CArchive& ar) {
  uint32_t count = 0;
  if (!ar.ReadCount(count)) return;
  // The count comes from the file and may be a lie: reserve only as many
  // records as the rest of the file could hold (a one-byte key, a class
  // reference and the 8-byte body each), so a damaged count allocates
  // nothing it cannot justify.
  constexpr size_t kSmallestFileRecord = 1 + 2 + 8;
  const size_t heldBefore = m_files.size();
  m_files.reserve(heldBefore + std::min<size_t>(count, ar.Remaining() / kSmallestFileRecord));
  // Records are read in place, their keys left in the file's bytes; they are
  // indexed all at once afterwards, which is several times faster for a
  // large file than one by one. Every record read whole is kept, also when
  // the file is damaged after it.
  std::string converted;
  for (uint32_t i = 0; i < count && !ar.Failed(); ++i) ReadFileRecord(ar, converted);
  CFileMap::Records replaced;
  m_files.IndexAppended(heldBefore, replaced);
  // A key the file lists again is one file recorded twice: the last record
  // holds the slot, and the earlier ones' uses join it so that the next save
  // loses none. A record the document held before this load (its slot is
  // older) is replaced by the file's first one, as a load always did.
  std::unordered_set<std::string_view> seen, repeated;
  for (const auto& earlier : replaced) {
    const std::string_view key = earlier->Path();
    const size_t slot = m_files.SlotOf(key);
    if (!(seen.insert(key).second && slot < heldBefore)) {
      MergeUsage(*m_files.at(slot), *earlier);
      repeated.insert(key);
    }
  }
  m_repeatedKeysDuringLoad += repeated.size();
}

void CVelnorDoc::ReadFileRecord(CArchive& ar, std::string& converted) {
  std::string_view key;
  if (!ar.ReadTextView(key, converted)) return;
  CFileInfo& record = m_files.NextSlot();
  CObject* existing = nullptr;
  switch (ar.ReadObjectInto(RUNTIME_CLASS(CFileInfo), record, existing)) {
    case CArchive::ObjectResult::Failed:
      // Reading stops here; the slot stays free, so it must hold nothing.
      record.m_nUseCount = 0;
      record.m_timeLastUsed = 0;
      return;
    case CArchive::ObjectResult::Null:  // a key without a record has nothing to keep
      return;
    case CArchive::ObjectResult::Existing: {
      // Two keys sharing one record cannot be represented; each key gets
      // its own record with the shared usage data.
      const auto* shared = static_cast<const CFileInfo*>(existing);
      // A key naming its own record again holds nothing new; a copy would
      // count its uses twice when repeated keys merge.
      if (shared->Path() == key) return;
      record.m_nUseCount = shared->m_nUseCount;
      record.m_timeLastUsed = shared->m_timeLastUsed;
      break;
    }
    case CArchive::ObjectResult::Created:
      break;
  }
  // A converted key lives in `converted` only until the next one.
  m_files.AppendUnindexed(converted.empty() ? key : m_files.CopyText(key));
}

void CVelnorDoc::LoadFolders(CArchive& ar) {
  uint32_t count = 0;
  if (!ar.ReadCount(count)) return;
  for (uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<CObject> created;
    CObject* existing = nullptr;
    switch (ar.ReadObject(RUNTIME_CLASS(CFolder), created, existing)) {
      case CArchive::ObjectResult::Failed:
        return;
      case CArchive::ObjectResult::Null:
        continue;
      case CArchive::ObjectResult::Existing: {
        m_folders.push_back(std::make_unique<CFolder>(*static_cast<const CFolder*>(existing)));
        break;
      }
      case CArchive::ObjectResult::Created:
        m_folders.emplace_back(static_cast<CFolder*>(created.release()));
        break;
    }
  }
}

void CVelnorDoc::VisitFiles(const FileVisitor& visit) const {
  MutexLock hold(m_lock);
  visit(m_files);
}

void CVelnorDoc::VisitFilesAndChanges(const ChangesVisitor& visit) {
  MutexLock hold(m_lock);
  visit(m_files, m_files.TakeTextChangedSlots());
}

const CFileInfo* CVelnorDoc::FindFile(std::string_view path) const {
  MutexLock hold(m_lock);
  return m_files.Lookup(path);
}

size_t CVelnorDoc::FileCount() const {
  MutexLock hold(m_lock);
  return m_files.size();
}

void CVelnorDoc::AddFiles(CFileMap::Records records) {
  CFileMap::Records replaced;
  {
    MutexLock hold(m_lock);
    m_files.InsertAll(std::move(records), replaced);
  }
}

void CVelnorDoc::RecordLaunch(const CFileInfo& record, VelnorTime now, const FileVisitor& afterwards) {
  std::string path;
  {
    MutexLock hold(m_lock);
    CFileInfo* mine = m_files.Lookup(record.Path());
    if (mine == nullptr) return;
    if (mine->m_nUseCount < INT32_MAX) ++mine->m_nUseCount;
    mine->m_timeLastUsed = now;
    path.assign(mine->Path());
    if (afterwards) afterwards(m_files);
  }
  // On the disk before the launcher goes back to the user; the lock is not
  // held meanwhile, so the change watcher never waits for the disk.
  if (!LogUse(path, now)) {
    MutexLock hold(m_lock);
    ++m_launchesSinceSave[path];
  }
}

void CVelnorDoc::SetFileType(const CFileInfo& record, const std::string& type, int image) {
  MutexLock hold(m_lock);
  CFileInfo* mine = m_files.Lookup(record.Path());
  if (mine == nullptr) return;
  mine->SetType(m_files.InternType(type));
  mine->m_nImage = image;
}

CVelnorDoc::FolderList CVelnorDoc::CopyFolders() const {
  MutexLock hold(m_lock);
  FolderList copy;
  copy.reserve(m_folders.size());
  for (const auto& folder : m_folders) copy.push_back(std::make_unique<CFolder>(*folder));
  return copy;
}

void CVelnorDoc::ReplaceFolders(FolderList folders) {
  MutexLock hold(m_lock);
  m_folders.swap(folders);
}

bool CVelnorDoc::GetFolder(size_t index, CFolder& folder) const {
  MutexLock hold(m_lock);
  if (index >= m_folders.size()) return false;
  folder = *m_folders[index];
  return true;
}
