#include "database/default_folders.h"

#include <memory>
#include <mutex>

#include "database/velnor_doc.h"

namespace {

struct DefaultFolder {
  int csidl;
  const char* name;
  bool enabled;
  int32_t iconId;
};

// CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_FAVORITES, CSIDL_STARTMENU,
// CSIDL_COMMON_STARTMENU, CSIDL_RECENT; only the Start Menus are indexed at first.
constexpr DefaultFolder kDefaultFolders[] = {
    {0x10, "Desktop Directory", false, kIconDesktopDirectory},
    {0x05, "My Documents", false, kIconMyDocuments},
    {0x06, "Favorites", false, kIconFavorites},
    {0x0B, "Start Menu", true, kIconStartMenu},
    {0x16, "Common Start Menu", true, kIconStartMenu},
    {0x08, "Recent Documents", false, kIconRecentDocuments},
};

}  // namespace

void AddDefaultFolders(CVelnorDoc& doc, ShellFolders& shell) {
  std::lock_guard<std::mutex> hold(doc.m_lock);
  if (!doc.m_folders.empty()) return;
  for (const DefaultFolder& row : kDefaultFolders) {
    std::string path;
    if (!shell.GetSpecialFolderPath(row.csidl, path)) continue;
    doc.m_folders.push_back(std::make_unique<CFolder>(row.name, std::move(path), row.enabled, row.iconId));
  }
}
