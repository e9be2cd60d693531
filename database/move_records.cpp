#include "database/velnor_doc.h"

#include <string>
#include <vector>

#include "framework/case_fold.h"
#include "framework/env.h"

namespace {

std::string_view WithoutFinalSeparator(std::string_view path) {
  if (!path.empty() && path.back() == kPathSeparator) path.remove_suffix(1);
  return path;
}

// The rule of IsPathUnder, plus the folder itself, and where the matched part
// ends: folding may match a different number of bytes than `from` has.
bool MovedPath(std::string_view path, std::string_view from, std::string_view to, std::string& moved) {
  const size_t matched = FoldedPrefixLength(path, from);
  if (matched == std::string_view::npos) return false;
  if (matched < path.size() && path[matched] != kPathSeparator) return false;
  moved.assign(to).append(path.substr(matched));
  return true;
}

bool SamePath(std::string_view a, std::string_view b) { return CompareFolded(a, b) == 0; }

}  // namespace

MoveReport CVelnorDoc::MoveRecords(std::string_view from, std::string_view to) {
  from = WithoutFinalSeparator(from);
  to = WithoutFinalSeparator(to);
  MoveReport report;
  std::string moved;
  MutexLock hold(m_lock);

  // The map's keys never change in place: take every record out, rename,
  // and insert them all again in their old order.
  CFileMap::Records records = m_files.TakeAll();
  for (auto& record : records) {
    if (!MovedPath(record->Path(), from, to, moved)) continue;
    const bool named = !record->Name().empty();
    record->SetKeyPath(moved);
    if (named) record->SetNameLength(moved.size() - moved.rfind(kPathSeparator) - 1);
    ++report.records;
  }
  CFileMap::Records merged;
  m_files.InsertAll(std::move(records), merged);
  for (const auto& gone : merged) MergeUsage(*m_files.Lookup(gone->Path()), *gone);

  std::vector<bool> movedFolder(m_folders.size(), false);
  for (size_t i = 0; i < m_folders.size(); ++i) {
    CFolder& folder = *m_folders[i];
    if (!MovedPath(folder.m_strPath, from, to, moved)) continue;
    // A folder added by hand is named by its path; the name follows it.
    if (folder.m_strName == folder.m_strPath) folder.m_strName = moved;
    folder.m_strPath = moved;
    movedFolder[i] = true;
    ++report.folders;
  }
  // Listing one folder twice would scan it twice. The entry that was already
  // at the new place is the one the user set up there, so it stays.
  std::vector<bool> listed(m_folders.size(), false);
  for (size_t i = 0; i < m_folders.size(); ++i) {
    for (size_t j = 0; j < m_folders.size() && movedFolder[i]; ++j) {
      const bool there = !movedFolder[j] || j < i;
      if (j != i && there && SamePath(m_folders[j]->m_strPath, m_folders[i]->m_strPath)) listed[i] = true;
    }
  }
  FolderList folders;
  for (size_t i = 0; i < m_folders.size(); ++i) {
    if (!listed[i]) folders.push_back(std::move(m_folders[i]));
  }
  m_folders.swap(folders);
  return report;
}
