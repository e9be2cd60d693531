#include "framework/work_area_win.h"

#include "framework/work_area.h"

void MoveToWorkAreaCorner(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  CRect placed{r.left, r.top, r.right, r.bottom};
  RECT work;
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    placed = AlignToWorkAreaCorner(placed, CRect{work.left, work.top, work.right, work.bottom});
  }
  MoveWindow(window, placed.left, placed.top, placed.right - placed.left,
             placed.bottom - placed.top, FALSE);
}

CRect WorkAreaNearest(const CRect& screenRect) {
  const RECT r = {screenRect.left, screenRect.top, screenRect.right, screenRect.bottom};
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) {
    work = info.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  return CRect{work.left, work.top, work.right, work.bottom};
}
