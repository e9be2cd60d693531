#include "launcher/icon_cache_win.h"

#include <shellapi.h>

CIconCache::CIconCache(HICON placeholder) : m_images(ImageList_Create(16, 16, ILC_MASK | ILC_COLOR16, 0, 0)) {
  ImageList_ReplaceIcon(m_images.Get(), -1, placeholder);
}

std::optional<CIconCache::FileIcon> CIconCache::Describe(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !m_images) return std::nullopt;
  SHFILEINFOW info = {};
  // Only the index: the shell's own list holds the icon (that list is the
  // shell's, never ours to destroy), and we copy it once per index rather
  // than once per row.
  const auto systemImages = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(path.c_str(), attributes, &info, sizeof(info),
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES));
  if (!systemImages) return std::nullopt;
  return FileIcon{ImageFor(systemImages, info.iIcon), info.szTypeName};
}

int CIconCache::ImageFor(HIMAGELIST systemImages, int systemIndex) {
  const auto found = m_bySystemIndex.find(systemIndex);
  if (found != m_bySystemIndex.end()) return found->second;
  // Our list keeps its own copy of the icon.
  const IconHandle icon(ImageList_GetIcon(systemImages, systemIndex, ILD_NORMAL));
  const int image = icon ? ImageList_ReplaceIcon(m_images.Get(), -1, icon.Get()) : -1;
  // A failure is not remembered: the next row of that icon tries again.
  if (image > 0) m_bySystemIndex.emplace(systemIndex, image);
  return image > 0 ? image : -1;
}
