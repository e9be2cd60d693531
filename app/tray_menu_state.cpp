#include "app/tray_menu_state.h"

#include "resources/resource.h"

std::vector<TrayMenuItemState> ComputeTrayMenuStates(const TrayMenuInputs& in) {
  // During a refresh the index is half built: nothing may open the launcher
  // or change what the refresh is doing, but the refresh itself can be
  // stopped from the same item that started it.
  const bool idle = !in.refreshing;
  return {
      {ID_EXECUTE_FILES, idle && !in.folderSettingsOpen, false, {}},
      {ID_REFRESH_DATABASE, true, false, in.refreshing ? kCancelRefreshText : kRefreshDatabaseText},
      {ID_FOLDER_SETTINGS, idle, false, {}},
      {ID_AUTORUN, idle, in.autorun, {}},
      {ID_MP3_SUPPORT, idle, in.mp3Support, {}},
      {ID_SEARCH_FULL_PATH, idle, in.searchFullPath, {}},
  };
}
