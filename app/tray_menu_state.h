// What the tray menu offers at the moment it opens: which commands are
// enabled, which options carry a check mark, and what the refresh command
// says. A pure function of the program's state, so every combination can be
// checked without a window.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct TrayMenuInputs {
  bool refreshing = false;
  bool launcherShown = false;
  bool folderSettingsOpen = false;  // the folder settings dialog exists
  bool autorun = false;
  bool mp3Support = false;
  bool searchFullPath = false;
};

struct TrayMenuItemState {
  uint32_t id = 0;
  bool enabled = true;
  bool checked = false;
  // Empty: the item keeps the text it has.
  std::string_view text;
};

inline constexpr std::string_view kRefreshDatabaseText = "&Refresh Database";
inline constexpr std::string_view kCancelRefreshText = "&Cancel Refresh";

// One entry per command that has a rule; About, feedback, help and exit
// have none and stay enabled.
std::vector<TrayMenuItemState> ComputeTrayMenuStates(const TrayMenuInputs& in);
