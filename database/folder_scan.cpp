#include "database/folder_scan.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "database/folder_chain.h"
#include "database/id3v1.h"
#include "framework/path_prefix.h"

namespace {

bool EndsWithMp3(const std::string& path) {
  if (path.size() < 4) return false;
  const char* tail = path.data() + path.size() - 4;
  return tail[0] == '.' && (tail[1] | 0x20) == 'm' && (tail[2] | 0x20) == 'p' && tail[3] == '3';
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsWindowsSeparator(char c) { return c == '\\' || c == '/'; }

// Whether a rescan changed what the filter can find in a tag.
bool SameTag(const Mp3TagInfo* a, const Mp3TagInfo* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->m_strTitle == b->m_strTitle && a->m_strArtist == b->m_strArtist && a->m_strAlbum == b->m_strAlbum &&
         a->m_strComment == b->m_strComment && a->m_nYear == b->m_nYear && a->m_strGenre == b->m_strGenre;
}

}  // namespace

// The counting pass on a thread of its own. Both passes spend most of their
// time in the system reading directories, so beside each other on two
// cores a refresh takes little longer than one walk of the tree. The
// thread reads only the folder list (under the document's lock) and the
// disk; it never touches a record or a window.
class CountingWalk {
 public:
  CountingWalk(CVelnorDoc& doc, const std::atomic<bool>* cancel) {
    try {
      m_thread = std::thread([this, &doc, cancel] { Finish(CFolderScan::CountEnabledFolders(doc, cancel)); });
    } catch (const std::system_error&) {
      Finish(CFolderScan::CountEnabledFolders(doc, cancel));  // no thread to be had: count here first
    }
  }
  ~CountingWalk() { Wait(); }
  CountingWalk(const CountingWalk&) = delete;
  CountingWalk& operator=(const CountingWalk&) = delete;

  bool Done() const { return m_done.load(std::memory_order_acquire); }
  uint32_t Wait() {
    if (m_thread.joinable()) m_thread.join();
    return m_total;
  }
  uint32_t Total() const { return m_total; }  // once Done()

 private:
  void Finish(uint32_t total) {
    m_total = total;
    m_done.store(true, std::memory_order_release);
  }
  std::thread m_thread;
  std::atomic<bool> m_done{false};
  uint32_t m_total = 0;
};

bool IsAbsoluteFolderPath(std::string_view path, char separator) {
  if (separator == '/') return !path.empty() && path[0] == '/';
  if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsWindowsSeparator(path[2])) return true;
  // Two separators, a server's name, a separator and the share's name.
  if (path.size() < 2 || !IsWindowsSeparator(path[0]) || !IsWindowsSeparator(path[1])) return false;
  size_t server = 2;
  while (server < path.size() && !IsWindowsSeparator(path[server])) ++server;
  return server > 2 && server + 1 < path.size() && !IsWindowsSeparator(path[server + 1]);
}

template <typename ScanOne>
void CFolderScan::ForEachEnabledFolder(ScanOne&& scan) {
  CFolder folder;
  for (size_t i = 0; m_doc.GetFolder(i, folder); ++i) {
    if (folder.m_bEnabled) scan(std::move(folder.m_strPath));
  }
}

void CFolderScan::Refresh(RefreshKind kind, ProgressWindow* window) {
  m_doc.SetIndexComplete(false);
  m_doc.MarkNotFound("");
  m_showProgress = ShowsProgressByItself(kind);
  CountingWalk counting(m_doc, m_cancel);
  m_counting = &counting;
  ForEachEnabledFolder([&](std::string path) { ScanFiles(std::move(path), window); });
  Flush();
  const uint32_t total = counting.Wait();
  if (window && !m_progressStarted) StartProgress(window, total);
  m_counting = nullptr;
}

uint32_t CFolderScan::CountEnabledFolders(CVelnorDoc& doc, const std::atomic<bool>* cancel) {
  CFolderScan scan(doc);
  scan.m_cancel = cancel;
  scan.m_pumpMessages = false;  // a counting thread owns no window
  uint32_t count = 0;
  scan.ForEachEnabledFolder([&](std::string path) { scan.CountEntries(std::move(path), count); });
  return count;
}

void CFolderScan::Step(ProgressWindow* pProgress) {
  if (pProgress == nullptr) return;
  if (m_progressStarted || m_counting == nullptr) {
    pProgress->StepIt();
    return;
  }
  ++m_stepsBeforeRange;
  if (m_counting->Done()) StartProgress(pProgress, m_counting->Total());
}

void CFolderScan::StartProgress(ProgressWindow* pProgress, uint32_t range) {
  m_progressStarted = true;
  pProgress->SetRange(range);
  if (m_showProgress) pProgress->Show(true);
  pProgress->StepBy(m_stepsBeforeRange);
}

void CFolderScan::CountEntries(std::string folder, uint32_t& count) {
  Walk(std::move(folder), Pass::kCount, &count, nullptr);
}

void CFolderScan::ScanFiles(std::string folder, ProgressWindow* progress) {
  Walk(std::move(folder), Pass::kUpdate, nullptr, progress);
}

void CFolderScan::Walk(std::string folder, Pass pass, uint32_t* pCount, ProgressWindow* pProgress) {
  if (!IsAbsoluteFolderPath(folder)) return;
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  FolderChain chain(m_env);
  chain.Enter(std::move(folder));
  ScanCurrent(chain, pass, pCount, pProgress);
}

void CFolderScan::ScanCurrent(FolderChain& chain, Pass pass, uint32_t* pCount, ProgressWindow* pProgress) {
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
        ScanCurrent(chain, pass, pCount, pProgress);
        chain.Leave();
      }
    } else if (pass == Pass::kUpdate && CanOpen(folder, entry.name)) {
      m_pending.push_back(ReadFile(folder, entry.name));
      if (m_pending.size() == kApplyBatch) Flush();
    }
    if (pass == Pass::kCount) {
      if (pCount) ++*pCount;
    } else {
      Step(pProgress);
    }
    if (m_cancel && *m_cancel) return;
    PumpMessages();
  }
}

size_t CFolderScan::Rescan(const std::string& folder) {
  // Every record lies "below" the empty folder: marking what was not found
  // there would take them all.
  if (!IsAbsoluteFolderPath(folder)) return 0;
  std::vector<const CFileInfo*> found;
  m_found = &found;
  m_pumpMessages = false;  // the watcher's thread owns no window
  ScanFiles(folder, nullptr);
  Flush();
  m_found = nullptr;
  // Only now are the files that are gone marked: the folder's records never
  // all vanish from an open launcher while its tree is read again.
  std::sort(found.begin(), found.end());
  m_doc.MarkNotFound(folder, found);
  return found.size();
}

void CFolderScan::Flush() {
  if (m_pending.empty()) return;
  m_doc.ApplyScannedFiles(m_pending, m_found);
  m_pending.clear();
}

void CFolderScan::PumpMessages() {
  if (!m_pumpMessages) return;
  const uint64_t now = m_env.TickCount();
  if (m_pumped && now - m_lastPump < kPumpIntervalMs) return;
  m_pumped = true;
  m_lastPump = now;
  m_env.PumpMessages();
}

bool CFolderScan::CanOpen(const std::string& folder, const std::string& name) {
  // A path this short in bytes is shorter still in UTF-16 units: only a
  // longer one is worth asking the platform about.
  if (folder.size() + name.size() < kMaxPathUnits) return true;
  return m_env.CanOpenPath(folder + name);
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

void CVelnorDoc::ApplyScannedFiles(std::vector<ScannedFile>& files, std::vector<const CFileInfo*>* applied) {
  MutexLock hold(m_lock);
  for (ScannedFile& file : files) {
    const size_t slot = m_files.SlotOf(file.path);
    const bool created = slot == m_files.size();
    CFileInfo* record = nullptr;
    if (created) {
      record = m_files.Add(file.path);
      record->SetNameLength(file.nameLength);
    } else {
      record = m_files.at(slot);
      // Only a record not named yet is named (the first scan since the
      // load): list rows read the name of a found record without the lock,
      // so it is never rewritten under them.
      if (record->Name().size() != file.nameLength) {
        record->SetNameLength(file.nameLength);
        m_files.MarkTextChanged(slot);
      }
    }
    if (!record->m_bFound) {
      record->m_bFound = true;
      m_files.MarkFoundChanged();
    }
    if (file.tagOpened) {
      // A new record's text is new to the filter anyway.
      if (!created && !SameTag(record->IsTagged() ? record->m_pTag.get() : nullptr, file.tag.get())) {
        m_files.MarkTextChanged(slot);
      }
      if (file.tag) record->m_bHasTag = true;
      record->m_pTag = std::move(file.tag);  // a failed read leaves no tag
    }
    if (applied) applied->push_back(record);
  }
}

void CVelnorDoc::MarkNotFound(std::string_view folder, const std::vector<const CFileInfo*>& kept) {
  // A few thousand records take well under a millisecond.
  constexpr size_t kStretch = 4096;
  for (size_t slot = 0;;) {
    MutexLock hold(m_lock);
    const size_t end = std::min(m_files.size(), slot + kStretch);
    for (; slot < end; ++slot) {
      CFileInfo* record = m_files.at(slot);
      if (!record->m_bFound || !IsPathUnder(record->Path(), folder)) continue;
      if (std::binary_search(kept.begin(), kept.end(), record)) continue;
      record->m_bFound = false;
      m_files.MarkFoundChanged();
    }
    if (slot >= m_files.size()) return;
  }
}
