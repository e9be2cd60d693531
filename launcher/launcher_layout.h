// The launcher's geometry without windows: where it opens, what it keeps of
// itself on closing, and where its two controls go.
#pragma once

#include <cstdint>

#include "database/window_placement.h"
#include "framework/rect.h"

constexpr int kDefaultTitleWidth = 192;
constexpr int kDefaultFolderWidth = 256;
// Narrower than this, a column shows nothing of its text.
constexpr int kMinColumnWidth = 24;

// The first opening with a database: the dialog, already moved into the
// work-area corner, is remembered there with the default column widths.
// A placement already captured is left as it is. True when it was filled.
bool CaptureFirstPlacement(CWindowPlacement& placement, const CRect& cornerRect);

// On closing: the normal-position rectangle and the two column widths.
void SavePlacement(CWindowPlacement& placement, const CRect& normalRect, int titleWidth,
                   int folderWidth);

// Reopening where it was closed. The saved rectangle may be anything a
// damaged or hand-edited database holds, and the screen may have shrunk
// since: the launcher must still open whole and usable.
//
// First the saved rectangle (workspace coordinates) is moved by `dx`, `dy`
// into screen coordinates and its size raised to at least `minWidth` x
// `minHeight`, inverted corners counting as a size below it; it stays
// within 32-bit coordinates. The caller then finds the monitor nearest to
// that and fits it into the monitor's work area.
CRect SizedLauncherRect(const CRect& saved, int32_t dx, int32_t dy, int32_t minWidth, int32_t minHeight);
// `window` moved, and shrunk only where it is larger, to lie wholly inside
// `workArea`.
CRect FitIntoWorkArea(const CRect& window, const CRect& workArea);
// A saved column width, or the column's default when it is too narrow to
// show anything or wider than the work area.
int32_t UsableColumnWidth(int32_t saved, int32_t defaultWidth, int32_t workAreaWidth);

struct LauncherLayout {
  CRect list;   // left, top, right, bottom in client coordinates
  CRect query;
};

// The query box along the bottom at its own height and full width; the list
// above it from y 2, with a 2-pixel gap between the two.
LauncherLayout LayoutLauncher(int clientWidth, int clientHeight, int queryHeight);
