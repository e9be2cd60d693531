// One indexed file. Only the usage data is stored; the rest is rebuilt by
// every scan. A million of these stay resident all day, so a record is
// small: its path is a view into text the file map owns (a record not yet
// in a map owns a copy), the name, title and folder are parts of that path,
// the shell's type name is shared by every file of that type, and only a
// tagged file carries a tag.
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

// The part of a file name before its last dot; empty when the only dot is the
// first character; the whole name when there is no dot.
inline std::string_view TitleFromName(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// What a record holds besides its path, for one made outside the document:
// a tool reading a format of its own, a test setting the scene. Once the
// record is added, only the document changes these.
struct FileRecordValues {
  int32_t useCount = 0;
  VelnorTime lastUsed = 0;
  bool found = false;
  std::unique_ptr<Mp3TagInfo> tag;  // null: an untagged file
};

// Records in the document are shared with the change watcher's thread, and
// list rows keep pointers to them outside the document's lock: so everyone
// but the document holds them const and reads through the accessors, and
// only the document and its map, as friends, change the fields, under that
// lock. Friends rather than private setters: a setter only those two could
// call would be no narrower than the field it sets, and their code keeps
// reading as the rules it follows.
class CFileInfo : public CObject {
  VELNOR_DECLARE_SERIAL(CFileInfo)

 public:
  CFileInfo() = default;
  // A record not yet added, for `path`, holding `values`.
  CFileInfo(std::string_view path, FileRecordValues values);
  ~CFileInfo() override;
  CFileInfo(const CFileInfo&) = delete;
  CFileInfo& operator=(const CFileInfo&) = delete;

  void Serialize(CArchive& ar) override;

  // The full path: the record's key in the file map. Set it once, before the
  // record is added; the map then keeps the text.
  std::string_view Path() const { return std::string_view(m_pPath, m_nPathLength & kLengthMask); }
  // The file name with its extension; empty until a scan has named the record.
  std::string_view Name() const { return Path().substr(Path().size() - m_nNameLength); }
  // The name without its last extension.
  std::string_view Title() const { return TitleFromName(Name()); }
  // The containing folder, without the separator before the name.
  std::string_view Folder() const;
  // The shell's type name, once the launcher has shown the file's icon.
  std::string_view Type() const { return m_pType ? std::string_view(*m_pType) : std::string_view(); }

  void SetKeyPath(std::string_view path);
  // Derives name, title and folder from the path; the name is its last
  // `nameLength` bytes, after one separator.
  void SetNameLength(size_t nameLength);

  // The last scan found the file (or it was loaded so).
  bool Found() const { return m_bFound; }
  int32_t UseCount() const { return m_nUseCount; }
  VelnorTime LastUsed() const { return m_timeLastUsed; }
  bool IsTagged() const { return m_bHasTag && m_pTag != nullptr; }
  // The ID3v1 tag; look only when IsTagged().
  const Mp3TagInfo* Tag() const { return m_pTag.get(); }

 private:
  friend class CVelnorDoc;
  friend class CFileMap;
  friend void MergeUsage(CFileInfo& into, const CFileInfo& from);

  // `type` must outlive the record (the file map keeps one copy of each).
  void SetType(const std::string* type) { m_pType = type; }

  static constexpr uint32_t kOwnsPath = 0x80000000u;
  static constexpr uint32_t kLengthMask = ~kOwnsPath;
  void ReleasePath();
  // Points the record at text its map keeps.
  void ViewPath(std::string_view path);

  // Laid out by size, so that a record takes 56 bytes on a 64-bit system.
  bool m_bFound = false;
  bool m_bHasTag = false;
  uint16_t m_nNameLength = 0;
  uint32_t m_nPathLength = 0;  // the top bit: the path is this record's own copy
  int32_t m_nUseCount = 0;
  int32_t m_nImage = 0;
  VelnorTime m_timeLastUsed = 0;
  std::unique_ptr<Mp3TagInfo> m_pTag;
  const char* m_pPath = nullptr;
  const std::string* m_pType = nullptr;
};
static_assert(sizeof(void*) != 8 || sizeof(CFileInfo) <= 56, "a record grew");

// One file recorded twice becomes one record that loses no use: `from`'s
// count is added to `into`'s (held within 32 bits, so a damaged count cannot
// wrap round) and the later of the two last uses is kept.
void MergeUsage(CFileInfo& into, const CFileInfo& from);

