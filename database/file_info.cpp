#include "database/file_info.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

VELNOR_IMPLEMENT_SERIAL(CFileInfo, 1)

CFileInfo::CFileInfo(std::string_view path, FileRecordValues values)
    : m_bFound(values.found),
      m_bHasTag(values.tag != nullptr),
      m_nUseCount(values.useCount),
      m_timeLastUsed(values.lastUsed),
      m_pTag(std::move(values.tag)) {
  SetKeyPath(path);
}

CFileInfo::~CFileInfo() { ReleasePath(); }

void CFileInfo::Serialize(CArchive& ar) {
  ar.Int32(m_nUseCount);
  ar.Time(m_timeLastUsed);
}

std::string_view CFileInfo::Folder() const {
  const std::string_view whole = Path();
  return whole.substr(0, whole.size() > m_nNameLength ? whole.size() - m_nNameLength - 1 : 0);
}

void CFileInfo::SetNameLength(size_t nameLength) {
  // No file system allows a name this long; a longer one is cut, not wrapped.
  nameLength = std::min<size_t>({nameLength, Path().size(), std::numeric_limits<uint16_t>::max()});
  m_nNameLength = static_cast<uint16_t>(nameLength);
}

void CFileInfo::SetKeyPath(std::string_view path) {
  ReleasePath();
  m_nNameLength = 0;
  if (path.empty()) return;
  char* copy = new char[path.size()];
  std::memcpy(copy, path.data(), path.size());
  m_pPath = copy;
  m_nPathLength = static_cast<uint32_t>(std::min<size_t>(path.size(), kLengthMask)) | kOwnsPath;
}

void CFileInfo::ViewPath(std::string_view path) {
  ReleasePath();
  m_pPath = path.data();
  m_nPathLength = static_cast<uint32_t>(std::min<size_t>(path.size(), kLengthMask));
}

void CFileInfo::ReleasePath() {
  if (m_nPathLength & kOwnsPath) delete[] m_pPath;
  m_pPath = nullptr;
  m_nPathLength = 0;
}

void MergeUsage(CFileInfo& into, const CFileInfo& from) {
  using Limits = std::numeric_limits<int32_t>;
  const int64_t uses = int64_t{into.m_nUseCount} + from.m_nUseCount;
  into.m_nUseCount = static_cast<int32_t>(std::clamp<int64_t>(uses, Limits::min(), Limits::max()));
  into.m_timeLastUsed = std::max(into.m_timeLastUsed, from.m_timeLastUsed);
}
