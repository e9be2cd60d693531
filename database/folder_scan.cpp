#include "database/folder_scan.h"

#include "database/folder_chain.h"
#include "database/id3v1.h"

const char kInitializeCaption[] = "Initialize Database - Plovant Velnor";
const char kRefreshCaption[] = "Refresh Database - Plovant Velnor";

namespace {

bool EndsWithMp3(const std::string& path) {
  if (path.size() < 4) return false;
  const char* tail = path.data() + path.size() - 4;
  return tail[0] == '.' && (tail[1] | 0x20) == 'm' && (tail[2] | 0x20) == 'p' && tail[3] == '3';
}

// Whether a rescan changed what the filter can find in a tag.
bool SameTag(const Mp3TagInfo* a, const Mp3TagInfo* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->m_strTitle == b->m_strTitle && a->m_strArtist == b->m_strArtist && a->m_strAlbum == b->m_strAlbum &&
         a->m_strComment == b->m_strComment && a->m_nYear == b->m_nYear && a->m_strGenre == b->m_strGenre;
}

}  // namespace

void CVelnorDoc::RefreshDatabase(const std::string& caption) { CFolderScan(*this).Refresh(caption); }

void CVelnorDoc::ScanFolder(std::string folder, bool bCountOnly, uint32_t* pCount, ProgressWindow* pProgress) {
  CFolderScan(*this).Scan(std::move(folder), bCountOnly, pCount, pProgress);
}

template <typename ScanOne>
void CFolderScan::ForEachEnabledFolder(ScanOne&& scan) {
  CFolder folder;
  for (size_t i = 0; m_doc.GetFolder(i, folder); ++i) {
    if (folder.m_bEnabled) scan(std::move(folder.m_strPath));
  }
}

void CFolderScan::Refresh(const std::string& caption) {
  m_doc.MarkNotFound("");
  m_doc.m_bRefreshing = true;
  m_doc.m_bCancelRefresh = false;
  std::unique_ptr<ProgressWindow> window = m_env.CreateProgressWindow(caption);
  m_doc.m_pRefreshDlg = window.get();

  uint32_t count = 0;
  ForEachEnabledFolder([&](std::string path) { Scan(std::move(path), true, &count, nullptr); });
  if (window) {
    window->SetRange(count);
    // The start-up refresh works unseen; showing it only to hide it again
    // would flash a window on every start.
    if (caption != kInitializeCaption) window->Show(true);
  }
  ForEachEnabledFolder([&](std::string path) { Scan(std::move(path), false, nullptr, window.get()); });

  m_doc.m_bCancelRefresh = false;
  m_doc.m_bRefreshing = false;
  m_doc.m_pRefreshDlg = nullptr;
}

void CFolderScan::Scan(std::string folder, bool bCountOnly, uint32_t* pCount, ProgressWindow* pProgress) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  FolderChain chain(m_env);
  chain.Enter(std::move(folder));
  ScanCurrent(chain, bCountOnly, pCount, pProgress);
}

void CFolderScan::ScanCurrent(FolderChain& chain, bool bCountOnly, uint32_t* pCount, ProgressWindow* pProgress) {
  const std::string& folder = chain.Current();
  const std::unique_ptr<DirectorySearch> search = m_env.OpenDirectory(folder);
  if (!search) return;
  DirectoryEntry entry;
  while (search->Next(entry)) {
    if (entry.name == "." || entry.name == "..") {
      // counted like every entry, nothing more
    } else if (entry.isDirectory) {
      std::string sub;
      sub.reserve(folder.size() + entry.name.size() + 1);
      sub += folder;
      sub += entry.name;
      sub += kPathSeparator;
      if (!entry.isLink || !chain.LeadsBack(sub)) {
        chain.Enter(std::move(sub));
        ScanCurrent(chain, bCountOnly, pCount, pProgress);
        chain.Leave();
      }
    } else if (!bCountOnly) {
      m_doc.ApplyScannedFile(ReadFile(folder, entry.name));
    }
    if (bCountOnly) {
      if (pCount) ++*pCount;
    } else if (pProgress) {
      pProgress->StepIt();
    }
    if (m_doc.m_bCancelRefresh) return;
    PumpMessages();
  }
}

void CFolderScan::PumpMessages() {
  const uint64_t now = m_env.TickCount();
  if (m_pumped && now - m_lastPump < kPumpIntervalMs) return;
  m_pumped = true;
  m_lastPump = now;
  m_env.PumpMessages();
}

ScannedFile CFolderScan::ReadFile(const std::string& folder, const std::string& name) {
  ScannedFile file;
  file.path.reserve(folder.size() + name.size());
  file.path += folder;
  file.path += name;
  file.nameLength = name.size();
  if (m_doc.m_bMp3Support && EndsWithMp3(file.path)) {
    if (std::unique_ptr<CFile> opened = m_env.OpenFile(file.path)) {
      file.tagOpened = true;
      file.tag = std::make_unique<Mp3TagInfo>();
      if (!ReadId3Tag(*opened, *file.tag)) file.tag.reset();
    }
  }
  return file;
}

void CVelnorDoc::ApplyScannedFile(ScannedFile file) {
  MutexLock hold(m_lock);
  CFileInfo* record = m_files.Lookup(file.path);
  if (record == nullptr) {
    auto created = std::make_unique<CFileInfo>();
    created->SetKeyPath(std::move(file.path));
    record = created.get();
    m_files.Insert(std::move(created));
  } else if (record->m_strName.size() != file.nameLength) {
    m_files.MarkTextChanged();  // the first scan since the load names the record
  }
  record->SetNameLength(file.nameLength);
  if (!record->m_bFound) {
    record->m_bFound = true;
    m_files.MarkFoundChanged();
  }
  if (file.tagOpened) {
    if (!SameTag(record->IsTagged() ? record->m_pTag.get() : nullptr, file.tag.get())) m_files.MarkTextChanged();
    if (file.tag) record->m_bHasTag = true;
    record->m_pTag = std::move(file.tag);  // a failed read leaves no tag
  }
}

void CVelnorDoc::MarkNotFound(std::string_view text) {
  MutexLock hold(m_lock);
  for (const auto& record : m_files) {
    if (record->m_bFound &&
        (text.empty() || std::string_view(record->m_strPath).find(text) != std::string_view::npos)) {
      record->m_bFound = false;
      m_files.MarkFoundChanged();
    }
  }
}
