#include "database/velnor_doc.h"

#include "database/folder_watcher.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

constexpr const char kDatabaseFolder[] = "Plovant";
constexpr const char kDatabaseFile[] = "velnor.dat";

// One key and its record. Null for a key stored without a record, and when
// reading stopped (the archive has then failed).
std::unique_ptr<CFileInfo> ReadFileRecord(CArchive& ar) {
  std::string key;
  if (!ar.ReadText(key)) return nullptr;
  std::unique_ptr<CObject> created;
  CObject* existing = nullptr;
  std::unique_ptr<CFileInfo> record;
  switch (ar.ReadObject(RUNTIME_CLASS(CFileInfo), created, existing)) {
    case CArchive::ObjectResult::Failed:
    case CArchive::ObjectResult::Null:  // a key without a record has nothing to keep
      return nullptr;
    case CArchive::ObjectResult::Existing: {
      // Two keys sharing one record cannot be represented; each key gets
      // its own record with the shared usage data.
      const auto* shared = static_cast<const CFileInfo*>(existing);
      // A key naming its own record again holds nothing new; a copy would
      // count its uses twice when repeated keys merge.
      if (shared->m_strPath == key) return nullptr;
      record = std::make_unique<CFileInfo>();
      record->m_nUseCount = shared->m_nUseCount;
      record->m_timeLastUsed = shared->m_timeLastUsed;
      break;
    }
    case CArchive::ObjectResult::Created:
      record.reset(static_cast<CFileInfo*>(created.release()));
      break;
  }
  record->SetKeyPath(std::move(key));
  return record;
}

}  // namespace

CVelnorDoc::CVelnorDoc(Env& env) : m_env(env) {}

CVelnorDoc::~CVelnorDoc() { m_pWatcherThread.reset(); }

bool CVelnorDoc::OnNewDocument() {
  LoadDatabase();
  return true;
}

std::string CVelnorDoc::GetDatabasePath() {
  std::string folder;
  if (!m_env.GetSpecialFolderPath(kCsidlAppData, folder) || folder.empty()) {
    // Without an application-data folder, keep the database beside the
    // program rather than losing every count at exit.
    folder = GetModuleFilePath();
    const size_t slash = folder.rfind(kPathSeparator);
    folder.erase(slash == std::string::npos ? 0 : slash);
    if (folder.empty()) folder = ".";
  }
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  folder += kDatabaseFolder;
  m_env.MakeDirectory(folder);
  return folder + kPathSeparator + kDatabaseFile;
}

void CVelnorDoc::LoadDatabase() {
  const std::string path = GetDatabasePath();
  RemoveSaveLeftovers(path);
  LoadDatabaseFrom(path);
}

bool CVelnorDoc::SaveDatabase() { return SaveDatabaseTo(GetDatabasePath()); }

DatabaseLoadReport CVelnorDoc::LoadDatabaseBytes(std::string_view bytes) {
  DatabaseLoadReport report;
  report.opened = true;
  {
    CArchive ar(bytes);
    Serialize(ar);
    if (ar.Failed()) {
      report.damaged = true;
      report.failOffset = ar.FailOffset();
      report.failReason = ar.FailReason();
    } else if (!ar.AtEnd()) {
      report.damaged = true;
      report.failOffset = ar.Offset();
      report.failReason = "unexpected data after the end";
    }
  }
  MutexLock hold(m_lock);
  m_replacedDuringLoad.clear();
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
    ar.WriteCount(static_cast<uint32_t>(m_files.size()));
    for (const auto& record : m_files) {
      ar.WriteText(record->m_strPath);
      ar.WriteObject(*record);
    }
    ar.WriteCount(static_cast<uint32_t>(m_folders.size()));
    for (const auto& folder : m_folders) ar.WriteObject(*folder);
  } else {
    MutexLock hold(m_lock);
    LoadFileRecords(ar);
    LoadFolders(ar);
  }
  ar.Bool(m_bAutorun);
  bool mp3Support = m_bMp3Support;
  ar.Bool(mp3Support);
  m_bMp3Support = mp3Support;
  ar.Bool(m_bDpiWarningShown);
  ar.Bool(m_bSearchFullPath);
  ar.Bool(m_bFirstRun);
  // A placement cut short is no placement: read it aside, take it whole.
  if (ar.IsStoring()) {
    m_placement.Serialize(ar);
  } else {
    CWindowPlacement placement;
    placement.Serialize(ar);
    if (!ar.Failed()) {
      m_placement.m_bValid = placement.m_bValid;
      m_placement.m_rect = placement.m_rect;
      m_placement.m_nTitleWidth = placement.m_nTitleWidth;
      m_placement.m_nFolderWidth = placement.m_nFolderWidth;
    }
  }
}

void CVelnorDoc::LoadFileRecords(CArchive& ar) {
  uint32_t count = 0;
  if (!ar.ReadCount(count)) return;
  // The count comes from the file and may be a lie: reserve only as many
  // records as the rest of the file could hold (a one-byte key, a class
  // reference and the 8-byte body each), so a damaged count allocates
  // nothing it cannot justify.
  constexpr size_t kSmallestFileRecord = 1 + 2 + 8;
  CFileMap::Records records;
  records.reserve(std::min<size_t>(count, ar.Remaining() / kSmallestFileRecord));
  for (uint32_t i = 0; i < count && !ar.Failed(); ++i) {
    if (auto record = ReadFileRecord(ar)) records.push_back(std::move(record));
  }
  // Keys go into the map all at once, which is several times faster for a
  // large file than one by one; every record read whole is kept, also when
  // the file is damaged after it.
  const size_t heldBefore = m_files.size();
  CFileMap::Records replaced;
  m_files.InsertAll(std::move(records), replaced);
  // A key the file lists again is one file recorded twice: the last record
  // holds the slot, and the earlier ones' uses join it so that the next save
  // loses none. A record the document held before this load (its slot is
  // older) is replaced by the file's first one, as a load always did.
  std::unordered_set<std::string_view> seen, repeated;
  for (auto& earlier : replaced) {
    const std::string_view key = earlier->m_strPath;
    const size_t slot = m_files.SlotOf(key);
    if (!(seen.insert(key).second && slot < heldBefore)) {
      MergeUsage(*m_files.at(slot), *earlier);
      repeated.insert(key);
    }
    m_replacedDuringLoad.push_back(std::move(earlier));
  }
  m_repeatedKeysDuringLoad += repeated.size();
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

CFileInfo* CVelnorDoc::FindFile(std::string_view path) const {
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

void CVelnorDoc::RecordLaunch(CFileInfo& record, VelnorTime now, const FileVisitor& afterwards) {
  MutexLock hold(m_lock);
  if (record.m_nUseCount < INT32_MAX) ++record.m_nUseCount;
  record.m_timeLastUsed = now;
  ++m_launchesSinceSave[record.m_strPath];
  if (afterwards) afterwards(m_files);
}

void CVelnorDoc::SetFileType(CFileInfo& record, const std::string& type, int image) {
  MutexLock hold(m_lock);
  record.m_strType = type;
  record.m_nImage = image;
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
