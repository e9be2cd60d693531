// The launcher's order, in one place: more uses first; among equal non-zero
// uses the latest use first; then by title ignoring case; equal rows keep
// the map's order. The filter's bulk sort, its move of a record after a
// launch and the usage column of the header sort all compare through here.
#pragma once

#include <cstdint>
#include <string_view>

#include "database/file_info.h"

struct LauncherOrderKey {
  int32_t uses;
  uint32_t slot;         // the record's place in the map
  int64_t lastUse;       // 0 for a never-used record: its time plays no part
  uint64_t titlePrefix;  // the folded title's first 8 bytes, big-endian
};

// `foldedTitle` is the record's title as FoldCase gives it (its first 8
// bytes are enough).
inline LauncherOrderKey MakeLauncherOrderKey(const CFileInfo& record, std::string_view foldedTitle,
                                             uint32_t slot) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < foldedTitle.size() ? static_cast<unsigned char>(foldedTitle[i]) : 0u);
  }
  return {record.m_nUseCount, slot, record.m_nUseCount != 0 ? record.m_timeLastUsed : 0, prefix};
}

// The usage part alone: negative when `a` goes first, 0 when equal.
inline int CompareUsage(const LauncherOrderKey& a, const LauncherOrderKey& b) {
  if (a.uses != b.uses) return a.uses < b.uses ? 1 : -1;
  if (a.lastUse != b.lastUse) return a.lastUse < b.lastUse ? 1 : -1;
  return 0;
}

// The whole order. `compareTitles(slotA, slotB)` compares two slots' folded
// titles byte by byte (which keeps code point order in UTF-8): negative,
// zero or positive. It is asked only when the first 8 bytes agree.
template <typename CompareTitles>
bool LauncherOrderBefore(const LauncherOrderKey& a, const LauncherOrderKey& b, CompareTitles&& compareTitles) {
  if (const int usage = CompareUsage(a, b)) return usage < 0;
  if (a.titlePrefix != b.titlePrefix) return a.titlePrefix < b.titlePrefix;
  if (const int c = compareTitles(a.slot, b.slot)) return c < 0;
  return a.slot < b.slot;
}
