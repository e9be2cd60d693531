// The one comparison behind every order of the result list: the launcher's
// usage order and the header clicks.
#pragma once

#include <cstdint>
#include <vector>

class CFileInfo;

struct SortKey {
  int nKey;        // 0 title, 1 folder path, 2 none, 3 usage
  int nDirection;  // +1 or -1; not applied to the usage comparison
};

enum SortKeyIndex { kSortTitle = 0, kSortFolder = 1, kSortNone = 2, kSortUsage = 3 };

// The list's four entries, indexed by column, as a new list starts them.
struct SortKeys {
  SortKey m_aSortKeys[4] = {{0, +1}, {1, +1}, {2, +1}, {3, +1}};
};

// Negative when `a` goes first, positive when `b` does, 0 when equal.
int CompareFiles(const CFileInfo& a, const CFileInfo& b, const SortKey& key);

// The order of CompareFiles for a whole list, stable: `order` receives the
// indexes of `records` in their sorted order. Titles and folders are folded
// once each, not at every comparison.
void SortFiles(const std::vector<const CFileInfo*>& records, const SortKey& key, std::vector<uint32_t>& order);
