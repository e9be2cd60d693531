#include "folders/folder_edits.h"

#include <memory>
#include <utility>

#include "database/default_folders.h"
#include "framework/path_prefix.h"

FolderMenuStates FolderMenuStatesFor(int selectedRow) {
  FolderMenuStates states;
  states.explore = states.rename = selectedRow >= 0;
  states.remove = selectedRow >= CFolderEdits::kProtectedRows;
  return states;
}

void CFolderEdits::Toggle(size_t row) {
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  if (row >= folders.size()) return;
  folders[row]->m_bEnabled = !folders[row]->m_bEnabled;
  m_doc.ReplaceFolders(std::move(folders));
  m_bFoldersChanged = true;  // even when a second toggle undoes the first
}

bool CFolderEdits::Add(const std::string& path) {
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  for (const auto& folder : folders) {
    if (SameFolderPath(folder->m_strPath, path)) return false;
  }
  folders.push_back(std::make_unique<CFolder>(path, path, true, kIconStartMenu));
  m_doc.ReplaceFolders(std::move(folders));
  m_bFoldersChanged = true;
  return true;
}

bool CFolderEdits::Remove(int row, int& selectAfter) {
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  if (row < kProtectedRows || static_cast<size_t>(row) >= folders.size()) return false;
  folders.erase(folders.begin() + row);
  m_doc.ReplaceFolders(std::move(folders));
  selectAfter = row - 1;
  m_bFoldersChanged = true;
  return true;
}

void CFolderEdits::Rename(size_t row, std::string name) {
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  if (row >= folders.size()) return;
  folders[row]->m_strName = std::move(name);
  m_doc.ReplaceFolders(std::move(folders));
}

void CFolderEdits::Reset() {
  m_doc.ReplaceFolders(DefaultFolders(m_doc.GetEnv()));
  m_bFoldersChanged = true;
}
