// Documents for tests in a few words: records with their usage, folders,
// and what a test reads back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/velnor_doc.h"

inline std::unique_ptr<CFileInfo> MakeRecord(const std::string& path, int uses = 0, VelnorTime lastUsed = 0,
                                             bool found = true) {
  auto record = std::make_unique<CFileInfo>();
  record->SetKeyPath(path);
  const size_t cut = path.find_last_of("\\/");
  record->SetNameLength(cut == std::string::npos ? path.size() : path.size() - cut - 1);
  record->m_nUseCount = uses;
  record->m_timeLastUsed = lastUsed;
  record->m_bFound = found;
  return record;
}

inline CFileInfo* AddRecord(CVelnorDoc& doc, std::unique_ptr<CFileInfo> record) {
  const std::string path = record->m_strPath;
  CFileMap::Records one;
  one.push_back(std::move(record));
  doc.AddFiles(std::move(one));
  return doc.FindFile(path);
}

inline CFileInfo* AddRecord(CVelnorDoc& doc, const std::string& path, int uses = 0, VelnorTime lastUsed = 0,
                            bool found = true) {
  return AddRecord(doc, MakeRecord(path, uses, lastUsed, found));
}

inline void AddFolder(CVelnorDoc& doc, const std::string& path, bool enabled = true) {
  CVelnorDoc::FolderList folders = doc.CopyFolders();
  folders.push_back(std::make_unique<CFolder>(path, path, enabled, kIconStartMenu));
  doc.ReplaceFolders(std::move(folders));
}

// Every key in map order; only the found ones when asked.
inline std::vector<std::string> Keys(const CVelnorDoc& doc, bool foundOnly = false) {
  std::vector<std::string> keys;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) {
      if (!foundOnly || record->m_bFound) keys.push_back(record->m_strPath);
    }
  });
  return keys;
}
