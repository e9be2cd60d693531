// Where a window goes when it opens in the corner of the desktop: the pure
// arithmetic, so it can be checked without a desktop.
#pragma once

#include "framework/rect.h"

// `window` moved, keeping its size, so that its bottom-right corner meets the
// bottom-right corner of `workArea`. A window larger than the work area runs
// past its top or left edge: nothing is clamped.
inline CRect AlignToWorkAreaCorner(const CRect& window, const CRect& workArea) {
  const int32_t dx = workArea.right - window.right;
  const int32_t dy = workArea.bottom - window.bottom;
  return CRect{window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}
