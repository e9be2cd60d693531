#include "database/file_info.h"

#include <algorithm>
#include <limits>

VELNOR_IMPLEMENT_SERIAL(CFileInfo, 1)

void CFileInfo::Serialize(CArchive& ar) {
  ar.Int32(m_nUseCount);
  ar.Time(m_timeLastUsed);
}

void CFileInfo::SetNameLength(size_t nameLength) {
  if (nameLength > m_strPath.size()) nameLength = m_strPath.size();
  const std::string_view whole(m_strPath);
  m_strName = whole.substr(whole.size() - nameLength);
  m_strTitle = TitleFromName(m_strName);
  const size_t folderLength = whole.size() > nameLength ? whole.size() - nameLength - 1 : 0;
  m_strFolder = whole.substr(0, folderLength);
}

void CFileInfo::SetKeyPath(std::string path) {
  m_strPath = std::move(path);
  m_strName = m_strTitle = m_strFolder = std::string_view();
}

std::string_view TitleFromName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return name;
  return name.substr(0, dot);
}

void MergeUsage(CFileInfo& into, const CFileInfo& from) {
  using Limits = std::numeric_limits<int32_t>;
  const int64_t uses = int64_t{into.m_nUseCount} + from.m_nUseCount;
  into.m_nUseCount = static_cast<int32_t>(std::clamp<int64_t>(uses, Limits::min(), Limits::max()));
  into.m_timeLastUsed = std::max(into.m_timeLastUsed, from.m_timeLastUsed);
}
