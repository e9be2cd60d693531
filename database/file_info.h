// One indexed file. Only the usage data is stored; the rest is rebuilt by
// every scan. Records keep stable addresses (rows hold pointers to them), so
// the name, title and folder are views into the one stored path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/archive.h"
#include "framework/runtime_class.h"

struct Mp3TagInfo {
  int32_t m_nYear = 0;
  int8_t m_nGenre = 0;
  uint8_t m_nTrack = 0;
  std::string m_strTitle;
  std::string m_strArtist;
  std::string m_strAlbum;
  std::string m_strComment;
  std::string m_strGenre;
};

class CFileInfo : public CObject {
  VELNOR_DECLARE_SERIAL(CFileInfo)

 public:
  CFileInfo() = default;
  CFileInfo(const CFileInfo&) = delete;
  CFileInfo& operator=(const CFileInfo&) = delete;

  void Serialize(CArchive& ar) override;

  // The full path is the record's key in the file map, which refers to these
  // bytes: set it once, before the record is added, and never again.
  void SetKeyPath(std::string path);
  // Derives name, title and folder from the path; the name is its last
  // `nameLength` bytes, after one separator.
  void SetNameLength(size_t nameLength);

  bool IsTagged() const { return m_bHasTag && m_pTag != nullptr; }

  bool m_bFound = false;
  int32_t m_nUseCount = 0;
  int m_nImage = 0;
  std::string m_strPath;
  std::string_view m_strName;
  std::string_view m_strTitle;
  std::string_view m_strFolder;
  std::string m_strType;
  VelnorTime m_timeLastUsed = 0;
  void* m_hIcon = nullptr;  // the shell's HICON, owned by the launcher's icon cache
  bool m_bHasTag = false;
  std::unique_ptr<Mp3TagInfo> m_pTag;
};

// One file recorded twice becomes one record that loses no use: `from`'s
// count is added to `into`'s (held within 32 bits, so a damaged count cannot
// wrap round) and the later of the two last uses is kept.
void MergeUsage(CFileInfo& into, const CFileInfo& from);

// The part of a file name before its last dot; empty when the only dot is the
// first character; the whole name when there is no dot.
std::string_view TitleFromName(std::string_view name);
