// The refresh: a counting pass that gives the progress bar its exact range,
// then an update pass that finds every file again.
#include <mutex>

#include "database/velnor_doc.h"

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

ScanHost& CVelnorDoc::DefaultScanHost() {
  static ScanHost host;
  return host;
}

void CVelnorDoc::RefreshDatabase(const std::string& caption) {
  MarkNotFound("");
  m_bRefreshing = true;
  m_bCancelRefresh = false;
  std::unique_ptr<RefreshWindow> window = m_host->CreateRefreshWindow(caption);
  m_pRefreshDlg = window.get();

  // The folder list may change while messages are pumped: take the folders
  // by index and check the length before each one.
  const auto forEachEnabledFolder = [this](auto&& scan) {
    for (size_t i = 0;; ++i) {
      std::string path;
      {
        std::lock_guard<std::mutex> hold(m_lock);
        if (i >= m_folders.size()) return;
        if (!m_folders[i]->m_bEnabled) continue;
        path = m_folders[i]->m_strPath;
      }
      scan(std::move(path));
    }
  };

  uint32_t count = 0;
  forEachEnabledFolder([&](std::string path) { ScanFolder(std::move(path), true, &count, nullptr); });
  if (window) {
    window->SetRange(count);
    // The start-up refresh works unseen; showing it only to hide it again
    // would flash a window on every start.
    if (caption != kInitializeCaption) window->Show(true);
  }
  forEachEnabledFolder([&](std::string path) { ScanFolder(std::move(path), false, nullptr, window.get()); });

  m_bCancelRefresh = false;
  m_bRefreshing = false;
  m_pRefreshDlg = nullptr;
  window.reset();
}

void CVelnorDoc::ScanFolder(std::string folder, bool bCountOnly, uint32_t* pCount, RefreshWindow* pProgress) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  const std::unique_ptr<DirectorySearch> search = m_host->Lister().Open(folder);
  if (!search) return;
  DirectoryEntry entry;
  while (search->Next(entry)) {
    if (entry.name == "." || entry.name == "..") {
      // counted like every entry, nothing more
    } else if (entry.isDirectory) {
      ScanFolder(folder + entry.name, bCountOnly, pCount, pProgress);
    } else if (!bCountOnly) {
      UpdateFileRecord(folder, entry.name);
    }
    if (bCountOnly) {
      if (pCount) ++*pCount;
    } else if (pProgress) {
      pProgress->StepIt();
    }
    if (m_bCancelRefresh) return;
    m_host->PumpMessages();
  }
}

void CVelnorDoc::UpdateFileRecord(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + name.size());
  path += folder;
  path += name;

  // The tag is read before the lock is taken: a slow disk must not hold up
  // the user interface's use of the records.
  bool tagOpened = false;
  std::unique_ptr<Mp3TagInfo> tag;
  if (m_bMp3Support && EndsWithMp3(path)) {
    if (std::unique_ptr<CMp3File> file = m_host->OpenMp3(path)) {
      tagOpened = true;
      tag = std::make_unique<Mp3TagInfo>();
      if (!ReadId3Tag(*file, *tag)) tag.reset();
    }
  }

  std::lock_guard<std::mutex> hold(m_lock);
  CFileInfo* record = m_files.Lookup(path);
  if (record == nullptr) {
    auto created = std::make_unique<CFileInfo>();
    created->SetKeyPath(std::move(path));
    record = created.get();
    m_files.Insert(std::move(created));
  } else if (record->m_strName.size() != name.size()) {
    m_files.MarkTextChanged();  // the first scan since the load names the record
  }
  record->SetNameLength(name.size());
  if (!record->m_bFound) {
    record->m_bFound = true;
    m_files.MarkFoundChanged();
  }
  if (tagOpened) {
    if (!SameTag(record->IsTagged() ? record->m_pTag.get() : nullptr, tag.get())) m_files.MarkTextChanged();
    if (tag) record->m_bHasTag = true;
    record->m_pTag = std::move(tag);  // a failed read leaves no tag
  }
}

void CVelnorDoc::MarkNotFound(std::string_view text) {
  std::lock_guard<std::mutex> hold(m_lock);
  for (const auto& record : m_files) {
    if (record->m_bFound &&
        (text.empty() || std::string_view(record->m_strPath).find(text) != std::string_view::npos)) {
      record->m_bFound = false;
      m_files.MarkFoundChanged();
    }
  }
}
