// The launcher's order, in one place: more uses first; among equal non-zero
// uses the latest use first; then by title folded as a query is (so Émile
// sorts among the E's); equal rows keep the map's order. The filter's bulk sort, its move of a record after a
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
  uint64_t titleNext;    // its next 8 bytes
  bool titleWhole;       // the 16 bytes hold all of the folded title
};

// `foldedTitle` is the record's title as MatchFold gives it, or at least its
// first 16 bytes (then `whole` says whether that was all of it).
inline LauncherOrderKey MakeLauncherOrderKey(const CFileInfo& record, std::string_view foldedTitle, uint32_t slot,
                                             bool whole = true) {
  const auto bytesFrom = [&](size_t at) {
    uint64_t bytes = 0;
    for (size_t i = at; i < at + 8; ++i) {
      bytes = (bytes << 8) | (i < foldedTitle.size() ? static_cast<unsigned char>(foldedTitle[i]) : 0u);
    }
    return bytes;
  };
  return {record.UseCount(), slot, record.UseCount() != 0 ? record.LastUsed() : 0,
          bytesFrom(0),      bytesFrom(8), whole && foldedTitle.size() <= 16};
}

// The usage part alone: negative when `a` goes first, 0 when equal.
inline int CompareUsage(const LauncherOrderKey& a, const LauncherOrderKey& b) {
  if (a.uses != b.uses) return a.uses < b.uses ? 1 : -1;
  if (a.lastUse != b.lastUse) return a.lastUse < b.lastUse ? 1 : -1;
  return 0;
}

// The order as far as the keys alone tell it: negative, zero (the folded
// titles agree in their first 16 bytes and one goes on) or positive.
inline int CompareOrderKeys(const LauncherOrderKey& a, const LauncherOrderKey& b) {
  if (const int usage = CompareUsage(a, b)) return usage;
  if (a.titlePrefix != b.titlePrefix) return a.titlePrefix < b.titlePrefix ? -1 : 1;
  if (a.titleNext != b.titleNext) return a.titleNext < b.titleNext ? -1 : 1;
  if (a.titleWhole && b.titleWhole) return a.slot < b.slot ? -1 : a.slot > b.slot;
  return 0;
}

// The whole order. `compareTitles(slotA, slotB)` compares two slots' folded
// titles byte by byte (which keeps code point order in UTF-8): negative,
// zero or positive. It is asked only when the keys cannot tell.
template <typename CompareTitles>
bool LauncherOrderBefore(const LauncherOrderKey& a, const LauncherOrderKey& b, CompareTitles&& compareTitles) {
  if (const int c = CompareOrderKeys(a, b)) return c < 0;
  if (const int c = compareTitles(a.slot, b.slot)) return c < 0;
  return a.slot < b.slot;
}
