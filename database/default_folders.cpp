#include "database/default_folders.h"

#include <memory>

#include "database/velnor_doc.h"

namespace {

struct DefaultFolder {
  int csidl;
  const char* name;
  bool enabled;
  int32_t iconId;
};

// Only the Start Menus are indexed at first.
constexpr DefaultFolder kDefaultFolders[] = {
    {kCsidlDesktopDirectory, "Desktop Directory", false, kIconDesktopDirectory},
    {kCsidlPersonal, "My Documents", false, kIconMyDocuments},
    {kCsidlFavorites, "Favorites", false, kIconFavorites},
    {kCsidlStartMenu, "Start Menu", true, kIconStartMenu},
    {kCsidlCommonStartMenu, "Common Start Menu", true, kIconStartMenu},
    {kCsidlRecent, "Recent Documents", false, kIconRecentDocuments},
};

}  // namespace

CVelnorDoc::FolderList DefaultFolders(Env& env) {
  CVelnorDoc::FolderList folders;
  for (const DefaultFolder& row : kDefaultFolders) {
    std::string path;
    if (!env.GetSpecialFolderPath(row.csidl, path)) continue;
    folders.push_back(std::make_unique<CFolder>(row.name, std::move(path), row.enabled, row.iconId));
  }
  return folders;
}

void AddDefaultFolders(CVelnorDoc& doc) {
  // At start-up, before the watcher exists: nothing can add a folder between
  // the look and the change.
  CFolder first;
  if (doc.GetFolder(0, first)) return;
  doc.ReplaceFolders(DefaultFolders(doc.GetEnv()));
}
