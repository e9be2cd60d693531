#include "launcher/launcher_layout.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

// One side: where it begins and how long it is, so that begin + length
// stays within 32 bits. In 64 bits: the saved sides may be any two values.
struct Span {
  int64_t begin;
  int64_t length;
};

Span SizedSpan(int32_t from, int32_t to, int32_t offset, int32_t minimum) {
  const int64_t length = std::clamp<int64_t>(int64_t{to} - from, std::max<int64_t>(minimum, 0), kMax32);
  const int64_t begin = std::clamp<int64_t>(int64_t{from} + offset, kMin32, kMax32 - length);
  return Span{begin, length};
}

Span FittedSpan(int32_t from, int32_t to, int32_t areaFrom, int32_t areaTo) {
  const int64_t room = std::max<int64_t>(int64_t{areaTo} - areaFrom, 0);
  const int64_t length = std::clamp<int64_t>(int64_t{to} - from, 0, room);
  const int64_t begin = std::max<int64_t>(areaFrom, std::min<int64_t>(from, int64_t{areaTo} - length));
  return Span{begin, length};
}

CRect FromSpans(Span x, Span y) {
  return CRect{static_cast<int32_t>(x.begin), static_cast<int32_t>(y.begin),
               static_cast<int32_t>(x.begin + x.length), static_cast<int32_t>(y.begin + y.length)};
}

}  // namespace

bool CaptureFirstPlacement(CWindowPlacement& placement, const CRect& cornerRect) {
  if (placement.m_bValid) return false;
  SavePlacement(placement, cornerRect, kDefaultTitleWidth, kDefaultFolderWidth);
  return true;
}

void SavePlacement(CWindowPlacement& placement, const CRect& normalRect, int titleWidth,
                   int folderWidth) {
  placement.m_rect = normalRect;
  placement.m_nTitleWidth = titleWidth;
  placement.m_nFolderWidth = folderWidth;
  placement.m_bValid = true;
}

CRect SizedLauncherRect(const CRect& saved, int32_t dx, int32_t dy, int32_t minWidth, int32_t minHeight) {
  return FromSpans(SizedSpan(saved.left, saved.right, dx, minWidth), SizedSpan(saved.top, saved.bottom, dy, minHeight));
}

CRect FitIntoWorkArea(const CRect& window, const CRect& workArea) {
  return FromSpans(FittedSpan(window.left, window.right, workArea.left, workArea.right),
                   FittedSpan(window.top, window.bottom, workArea.top, workArea.bottom));
}

int32_t UsableColumnWidth(int32_t saved, int32_t defaultWidth, int32_t workAreaWidth) {
  return saved < kMinColumnWidth || saved > workAreaWidth ? defaultWidth : saved;
}

LauncherLayout LayoutLauncher(int clientWidth, int clientHeight, int queryHeight) {
  LauncherLayout layout;
  // A window shrunk below the query box's height gives the list no room
  // rather than a negative height.
  const int listBottom = clientHeight - queryHeight - 2;
  layout.list = CRect{0, 2, clientWidth, listBottom < 2 ? 2 : listBottom};
  layout.query = CRect{0, clientHeight - queryHeight, clientWidth, clientHeight};
  return layout;
}
