#include "framework/directory_search.h"

size_t Utf16Length(const std::string& text) {
  size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;  // one per code point...
    if ((c & 0xF8) == 0xF0) ++units;  // ...and a second for a surrogate pair
  }
  return units;
}

bool FitsSearchPathLimit(const std::string& folderWithSeparator) {
  return Utf16Length(folderWithSeparator) + 3 < kMaxPathUnits;  // + "*.*" and the terminator
}

bool FitsPathLimit(const std::string& path) { return Utf16Length(path) < kMaxPathUnits; }
