// Documents for tests in a few words: records with their usage, folders,
// and what a test reads back.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/velnor_doc.h"

// Named, as a scan names a record: the name is what follows the last separator.
inline std::unique_ptr<CFileInfo> MakeRecord(const std::string& path, FileRecordValues values) {
  auto record = std::make_unique<CFileInfo>(path, std::move(values));
  const size_t cut = path.find_last_of("\\/");
  record->SetNameLength(cut == std::string::npos ? path.size() : path.size() - cut - 1);
  return record;
}

inline std::unique_ptr<CFileInfo> MakeRecord(const std::string& path, int uses = 0, VelnorTime lastUsed = 0,
                                             bool found = true) {
  return MakeRecord(path, {.useCount = uses, .lastUsed = lastUsed, .found = found, .tag = nullptr});
}

inline const CFileInfo* AddRecord(CVelnorDoc& doc, std::unique_ptr<CFileInfo> record) {
  const std::string path(record->Path());
  CFileMap::Records one;
  one.push_back(std::move(record));
  doc.AddFiles(std::move(one));
  return doc.FindFile(path);
}

inline const CFileInfo* AddRecord(CVelnorDoc& doc, const std::string& path, int uses = 0, VelnorTime lastUsed = 0,
                                  bool found = true) {
  return AddRecord(doc, MakeRecord(path, uses, lastUsed, found));
}

// Uses counted as the launcher counts them, under the document's lock.
inline void RecordLaunches(CVelnorDoc& doc, const std::string& path, int times, VelnorTime at = 1) {
  for (int i = 0; i < times; ++i) doc.RecordLaunch(*doc.FindFile(path), at);
}

inline void AddFolder(CVelnorDoc& doc, std::unique_ptr<CFolder> folder) {
  CVelnorDoc::FolderList folders = doc.CopyFolders();
  folders.push_back(std::move(folder));
  doc.ReplaceFolders(std::move(folders));
}

// Named by its path, as a folder the user adds by hand.
inline void AddFolder(CVelnorDoc& doc, const std::string& path, bool enabled = true) {
  AddFolder(doc, std::make_unique<CFolder>(path, path, enabled, kIconStartMenu));
}

// Every option the other way round from a new document, and a valid
// placement, so that nothing read back can pass for a default.
inline void SetNonDefaultOptions(CVelnorDoc& doc, const CRect& rect = {1, 2, 3, 4}) {
  doc.m_bAutorun = false;
  doc.m_bMp3Support = false;
  doc.m_bDpiWarningShown = true;
  doc.m_bSearchFullPath = true;
  doc.m_bFirstRun = false;
  doc.m_placement.m_bValid = true;
  doc.m_placement.m_rect = rect;
  doc.m_placement.m_nTitleWidth = 192;
  doc.m_placement.m_nFolderWidth = 256;
}

// Every key in map order; only the found ones when asked.
inline std::vector<std::string> Keys(const CVelnorDoc& doc, bool foundOnly = false) {
  std::vector<std::string> keys;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) {
      if (!foundOnly || record->Found()) keys.emplace_back(record->Path());
    }
  });
  return keys;
}
