#include "launcher/search_text.h"

#include <algorithm>
#include <unordered_map>

#include "database/file_map.h"
#include "framework/match_fold.h"

namespace {

void AppendField(std::string& text, std::string_view field) {
  AppendMatchFolded(text, field);
  text += '\0';
}

// The path less the name: the folder and the separator after it. A record
// no scan has named yet has no name, so all of its path is here, and the
// full-path mode still finds it by its path.
std::string_view FolderPart(const CFileInfo& record) {
  const std::string_view path = record.Path();
  return path.substr(0, path.size() - record.Name().size());
}

}  // namespace

size_t FoldedEntries::EntryHolding(size_t from, size_t pos) const {
  // Hits come in increasing order: gallop ahead, then search the last stretch.
  size_t bound = from + 1;
  size_t step = 1;
  while (bound < starts.size() && starts[bound] <= pos) {
    from = bound;
    bound += step;
    step *= 2;
  }
  const auto end = starts.begin() + static_cast<std::ptrdiff_t>(std::min(bound, starts.size()));
  const auto it = std::upper_bound(starts.begin() + static_cast<std::ptrdiff_t>(from), end, pos);
  return static_cast<size_t>(it - starts.begin()) - 1;
}

void NameTexts::Build(const CFileMap& files, bool withMp3) {
  clear();
  mp3 = withMp3;
  // Folding keeps nearly every text's length: reserving what the unfolded
  // texts take spares the buffer's doublings, each of which briefly holds
  // the old and the new copy of a text of tens of megabytes.
  size_t bytes = 0;
  for (const CFileInfo* record : files) bytes += record->Name().size() + 1 + (mp3 && record->IsTagged() ? 64 : 0);
  entries.text.reserve(bytes + bytes / 64);
  entries.starts.reserve(files.size() + 1);
  for (const CFileInfo* record : files) Append(*record);
  built = true;
}

void NameTexts::Append(const CFileInfo& record) {
  std::string& text = entries.text;
  AppendField(text, record.Name());
  if (mp3 && record.IsTagged()) {
    const Mp3TagInfo& tag = *record.Tag();
    AppendField(text, tag.m_strTitle);
    AppendField(text, tag.m_strArtist);
    AppendField(text, tag.m_strAlbum);
    AppendField(text, tag.m_strComment);
    AppendField(text, std::to_string(tag.m_nYear));
    AppendField(text, tag.m_strGenre);
  }
  entries.starts.push_back(static_cast<uint32_t>(text.size()));
}

void FolderTexts::Build(const CFileMap& files) {
  clear();
  folderOf.reserve(files.size());
  // Each folder once: a scan interleaves a folder's files with the contents
  // of its subfolders, so the runs of one folder are short.
  std::unordered_map<std::string_view, uint32_t> seen;
  for (const CFileInfo* record : files) {
    const std::string_view folder = FolderPart(*record);
    const auto [it, added] = seen.emplace(folder, static_cast<uint32_t>(entries.size()));
    if (added) AddFolder(folder);
    folderOf.push_back(it->second);
  }
  built = true;
}

void FolderTexts::Append(const CFileInfo& record) {
  // A few new files, as a rescan finds them: usually in one folder, and a
  // folder met again merely gets a second entry.
  const std::string_view folder = FolderPart(record);
  if (entries.size() == 0 || folder != m_lastFolder) AddFolder(folder);
  folderOf.push_back(static_cast<uint32_t>(entries.size() - 1));
}

void FolderTexts::AddFolder(std::string_view folder) {
  AppendField(entries.text, folder);
  entries.starts.push_back(static_cast<uint32_t>(entries.text.size()));
  m_lastFolder = folder;
}
