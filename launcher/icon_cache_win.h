// The launcher's small icons: one image per distinct shell icon, however
// many rows show it. The shell numbers every icon it hands out in its
// system image list; rows whose files share that number share our image,
// so scrolling through a million files adds a few dozen images, not a
// million. Image 0 is the placeholder for rows not described yet.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <unordered_map>

#include "framework/win_handles.h"

class CIconCache {
 public:
  struct FileIcon {
    int image;              // in Images(); -1 when the shell's icon could not be copied
    std::wstring typeName;  // the shell's name of the file's type
  };

  // A new image list holding `placeholder` (copied) as image 0.
  explicit CIconCache(HICON placeholder);

  HIMAGELIST Images() const { return m_images.Get(); }

  // The icon and type name of the file at `path`; nothing when the file is
  // gone or the shell cannot describe it.
  std::optional<FileIcon> Describe(const std::wstring& path);

 private:
  // Our image for the shell's `systemIndex` in `systemImages`, added on
  // first sight; -1 when the icon cannot be had.
  int ImageFor(HIMAGELIST systemImages, int systemIndex);

  ImageListHandle m_images;
  std::unordered_map<int, int> m_bySystemIndex;
};
