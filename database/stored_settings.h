// What the database keeps besides the file records and the folders: the
// options the user sets and where the launcher stood. They are described
// once, by the tables below: the database file stores them in the tables'
// order, and velnor-cli's JSON names them by the tables' keys in both
// directions, so a setting added here is saved, dumped and loaded alike.
#pragma once

#include <atomic>
#include <cstdint>
#include <variant>

#include "database/window_placement.h"
#include "framework/rect.h"

class CArchive;

struct StoredSettings {
  bool m_bAutorun = true;
  // Read by the change watcher's rescans on their own thread.
  std::atomic<bool> m_bMp3Support{true};
  bool m_bDpiWarningShown = false;
  bool m_bSearchFullPath = false;
  bool m_bFirstRun = true;
  CWindowPlacement m_placement;
};

// One stored value of an `Owner` and the key JSON gives it.
template <class Owner>
struct SettingField {
  const char* key;
  std::variant<bool Owner::*, std::atomic<bool> Owner::*, int32_t Owner::*, CRect Owner::*,
               CWindowPlacement Owner::*>
      member;
};

// In the order of the database file, which JSON keeps.
inline constexpr SettingField<StoredSettings> kStoredSettings[] = {
    {"autorun", &StoredSettings::m_bAutorun},
    {"mp3Support", &StoredSettings::m_bMp3Support},
    {"dpiWarningShown", &StoredSettings::m_bDpiWarningShown},
    {"searchFullPath", &StoredSettings::m_bSearchFullPath},
    {"firstRun", &StoredSettings::m_bFirstRun},
    {"placement", &StoredSettings::m_placement},
};

// The placement's keys, in the order JSON writes them; the file keeps its
// fields in an order of its own (CWindowPlacement::Serialize).
inline constexpr SettingField<CWindowPlacement> kPlacementFields[] = {
    {"valid", &CWindowPlacement::m_bValid},
    {"rect", &CWindowPlacement::m_rect},
    {"titleWidth", &CWindowPlacement::m_nTitleWidth},
    {"folderWidth", &CWindowPlacement::m_nFolderWidth},
};

// Both directions, after the folders in the database file. Loading reads
// each option in place, so one cut short keeps those before it; a
// placement cut short is no placement and leaves the one there was.
void SerializeStoredSettings(CArchive& ar, StoredSettings& settings);
