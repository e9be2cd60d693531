#include "app/tray_menu_state.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/autorun.h"
#include "resources/resource.h"

namespace {

using Look = std::map<uint32_t, std::string>;

// Each item as "on"/"off", " checked", and its new text if it gets one.
Look LookOf(const TrayMenuInputs& in) {
  Look look;
  for (const TrayMenuItemState& s : ComputeTrayMenuStates(in)) {
    std::string item = s.enabled ? "on" : "off";
    if (s.checked) item += " checked";
    if (!s.text.empty()) item += " " + std::string(s.text);
    EXPECT_TRUE(look.emplace(s.id, item).second) << "twice: " << s.id;
  }
  return look;
}

// While a refresh runs the index is half built: only the refresh item,
// turned into its cancel, stays usable. The launcher being open changes
// nothing; the folder settings dialog only keeps the launcher from opening.
TEST(TrayMenuStateTest, IdleRefreshingAndFolderSettingsOpen) {
  TrayMenuInputs idle;
  idle.launcherShown = true;
  idle.autorun = true;
  idle.searchFullPath = true;
  EXPECT_EQ(LookOf(idle), (Look{{ID_EXECUTE_FILES, "on"}, {ID_REFRESH_DATABASE, "on &Refresh Database"},
                                {ID_FOLDER_SETTINGS, "on"}, {ID_AUTORUN, "on checked"}, {ID_MP3_SUPPORT, "on"},
                                {ID_SEARCH_FULL_PATH, "on checked"}}));
  TrayMenuInputs refreshing;
  refreshing.refreshing = true;
  refreshing.mp3Support = true;
  EXPECT_EQ(LookOf(refreshing), (Look{{ID_EXECUTE_FILES, "off"}, {ID_REFRESH_DATABASE, "on &Cancel Refresh"},
                                      {ID_FOLDER_SETTINGS, "off"}, {ID_AUTORUN, "off"},
                                      {ID_MP3_SUPPORT, "off checked"}, {ID_SEARCH_FULL_PATH, "off"}}));
  TrayMenuInputs settings;
  settings.folderSettingsOpen = true;
  EXPECT_EQ(LookOf(settings), (Look{{ID_EXECUTE_FILES, "off"}, {ID_REFRESH_DATABASE, "on &Refresh Database"},
                                    {ID_FOLDER_SETTINGS, "on"}, {ID_AUTORUN, "on"}, {ID_MP3_SUPPORT, "on"},
                                    {ID_SEARCH_FULL_PATH, "on"}}));
}

// Quoted, or Windows would run "C:\Program"; an unknown path deletes the
// value rather than write a useless one. Written and deleted at each exit:
// the close sequence's frame tests.
TEST(AutorunCommandTest, TheProgramPathInQuotesOrNothing) {
  EXPECT_EQ(AutorunCommand(true, "C:\\Program Files\\velnor.exe"), "\"C:\\Program Files\\velnor.exe\"");
  EXPECT_EQ(AutorunCommand(true, ""), "");
}

}  // namespace
