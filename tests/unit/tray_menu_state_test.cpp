#include "app/tray_menu_state.h"

#include <gtest/gtest.h>

#include <map>

#include "app/autorun.h"

namespace {

// The commands by the numbers the menu resource gives them.
constexpr uint32_t kExecuteFiles = 32771, kRefresh = 32776, kFolderSettings = 32781, kAutorun = 32782,
                   kMp3 = 32784, kFullPath = 32786;

std::map<uint32_t, TrayMenuItemState> ById(const TrayMenuInputs& in) {
  std::map<uint32_t, TrayMenuItemState> states;
  for (const TrayMenuItemState& s : ComputeTrayMenuStates(in)) {
    EXPECT_TRUE(states.emplace(s.id, s).second) << "twice: " << s.id;
  }
  return states;
}

// Every one of the 64 combinations of refresh, the two dialogs and the
// three options.
TEST(TrayMenuStateTest, EveryCombination) {
  for (int bits = 0; bits < 64; ++bits) {
    TrayMenuInputs in;
    in.refreshing = bits & 1;
    in.launcherShown = bits & 2;
    in.folderSettingsOpen = bits & 4;
    in.autorun = bits & 8;
    in.mp3Support = bits & 16;
    in.searchFullPath = bits & 32;
    SCOPED_TRACE(bits);
    auto s = ById(in);
    ASSERT_EQ(s.size(), 6u);

    EXPECT_EQ(s[kExecuteFiles].enabled, !in.refreshing && !in.folderSettingsOpen);
    EXPECT_TRUE(s[kRefresh].enabled);
    EXPECT_EQ(s[kRefresh].text, in.refreshing ? "&Cancel Refresh" : "&Refresh Database");
    for (uint32_t id : {kFolderSettings, kAutorun, kMp3, kFullPath}) {
      EXPECT_EQ(s[id].enabled, !in.refreshing) << id;
    }
    EXPECT_EQ(s[kAutorun].checked, in.autorun);
    EXPECT_EQ(s[kMp3].checked, in.mp3Support);
    EXPECT_EQ(s[kFullPath].checked, in.searchFullPath);
    for (uint32_t id : {kExecuteFiles, kRefresh, kFolderSettings}) EXPECT_FALSE(s[id].checked) << id;
    for (uint32_t id : {kExecuteFiles, kFolderSettings, kAutorun, kMp3, kFullPath}) {
      EXPECT_TRUE(s[id].text.empty()) << id;  // only the refresh item changes its text
    }
  }
}

TEST(TrayMenuStateTest, AnOpenLauncherChangesNothing) {
  TrayMenuInputs closed;
  closed.autorun = true;
  TrayMenuInputs open = closed;
  open.launcherShown = true;
  const auto a = ComputeTrayMenuStates(closed);
  const auto b = ComputeTrayMenuStates(open);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].id, b[i].id);
    EXPECT_EQ(a[i].enabled, b[i].enabled);
    EXPECT_EQ(a[i].checked, b[i].checked);
    EXPECT_EQ(a[i].text, b[i].text);
  }
}

TEST(AutorunCommandTest, TheProgramPathInQuotesOrNothing) {
  EXPECT_EQ(AutorunCommand(true, "C:\\Program Files\\Plovant\\velnor.exe"),
            "\"C:\\Program Files\\Plovant\\velnor.exe\"");
  EXPECT_EQ(AutorunCommand(true, "C:\\velnor.exe"), "\"C:\\velnor.exe\"");
  EXPECT_EQ(AutorunCommand(false, "C:\\velnor.exe"), "");
  // An unknown path deletes the value rather than write a useless one.
  EXPECT_EQ(AutorunCommand(true, ""), "");
}

}  // namespace
