// The folded texts the launcher's filter scans, one contiguous buffer each,
// so a query is a few linear scans of bytes. Each slot's text ends with a
// zero byte, so no match can run from one slot (or field) into the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFileMap;
class CFileInfo;

// A buffer of entries: entry i is [starts[i], starts[i + 1]).
struct FoldedEntries {
  std::string text;
  std::vector<uint32_t> starts{0};

  size_t size() const { return starts.size() - 1; }
  std::string_view Entry(size_t i) const { return std::string_view(text).substr(starts[i], starts[i + 1] - starts[i]); }
  // The entry that holds byte `pos`, searching forward from entry `from`
  // (which starts at or before `pos`).
  size_t EntryHolding(size_t from, size_t pos) const;
  void clear() { *this = FoldedEntries(); }
};

// Per slot: the name, then with `mp3` each field of a tagged file's tag.
struct NameTexts {
  bool built = false;
  bool mp3 = false;
  FoldedEntries entries;

  void Build(const CFileMap& files, bool withMp3);
  void Append(const CFileInfo& record);
  void clear() { *this = NameTexts(); }
};

// For the full-path mode: the folder part of every path (with the separator
// before the name), folded once per folder, since a folder holds many
// files; and per slot the entry of its folder.
struct FolderTexts {
  bool built = false;
  FoldedEntries entries;
  std::vector<uint32_t> folderOf;

  void Build(const CFileMap& files);
  void Append(const CFileInfo& record);
  void clear() { *this = FolderTexts(); }

 private:
  void AddFolder(std::string_view folder);
  std::string_view m_lastFolder;  // the folder of the last entry added
};
