// The launcher's geometry without windows: where it opens, what it keeps of
// itself on closing, and where its two controls go.
#pragma once

#include "database/window_placement.h"
#include "framework/rect.h"

constexpr int kDefaultTitleWidth = 192;
constexpr int kDefaultFolderWidth = 256;

// The first opening with a database: the dialog, already moved into the
// work-area corner, is remembered there with the default column widths.
// A placement already captured is left as it is. True when it was filled.
bool CaptureFirstPlacement(CWindowPlacement& placement, const CRect& cornerRect);

// On closing: the normal-position rectangle and the two column widths.
void SavePlacement(CWindowPlacement& placement, const CRect& normalRect, int titleWidth,
                   int folderWidth);

struct LauncherLayout {
  CRect list;   // left, top, right, bottom in client coordinates
  CRect query;
};

// The query box along the bottom at its own height and full width; the list
// above it from y 2, with a 2-pixel gap between the two.
LauncherLayout LayoutLauncher(int clientWidth, int clientHeight, int queryHeight);
