// Opening a window in the bottom-right corner of the desktop work area.
#pragma once

#include <windows.h>

#include "framework/rect.h"

// Moves `window`, keeping its size, so that its bottom-right corner meets the
// bottom-right corner of the work area (the desktop less the taskbar). When
// the work area cannot be read the window stays where it is. No repaint.
void MoveToWorkAreaCorner(HWND window);

// The work area of the monitor nearest to `screenRect` (the primary one's
// when no monitor answers).
CRect WorkAreaNearest(const CRect& screenRect);
