// A rectangle as Win32 gives it (left, top, right, bottom), in the 32-bit
// fields the database stores; plain data, so the portable core can do window
// arithmetic without <windows.h>.
#pragma once

#include <cstdint>

struct CRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
