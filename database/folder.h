// One indexed folder, in the order the folder list shows it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/archive.h"
#include "framework/runtime_class.h"

// Icons of the folder list, by resource id.
enum FolderIconId : int32_t {
  kIconRecentDocuments = 139,
  kIconStartMenu = 140,  // also the common Start Menu and every user-added folder
  kIconMyDocuments = 141,
  kIconDesktopDirectory = 142,
  kIconFavorites = 143,
};

class CFolder : public CObject {
  VELNOR_DECLARE_SERIAL(CFolder)

 public:
  CFolder() = default;  // loading only
  CFolder(std::string name, std::string path, bool enabled, int32_t iconId)
      : m_strName(std::move(name)), m_strPath(std::move(path)),
        m_bEnabled(enabled), m_nIconId(iconId) {}

  void Serialize(CArchive& ar) override;

  std::string m_strName;
  std::string m_strPath;
  bool m_bEnabled = false;
  int32_t m_nIconId = 0;
};
