#include "launcher/launcher_layout.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Reopening where the user left it is the window test's; here the defaults.
TEST(LauncherPlacement, FirstOpeningKeepsTheCornerWithTheDefaultWidths) {
  CWindowPlacement placement;
  const CRect corner{400, 500, 1024, 738};
  EXPECT_TRUE(CaptureFirstPlacement(placement, corner));
  EXPECT_TRUE(placement.m_bValid);
  EXPECT_EQ(placement.m_rect, corner);
  EXPECT_EQ(placement.m_nTitleWidth, 192);
  EXPECT_EQ(placement.m_nFolderWidth, 256);
}

// What a damaged database or a smaller screen leaves: the launcher opens
// whole inside the work area of 1024 x 738 at (0, 30), at least 200 x 100.
TEST(LauncherPlacement, ASavedRectangleIsSizedThenFittedIntoTheWorkArea) {
  const CRect work{0, 30, 1024, 768};
  const auto placed = [&](CRect saved) { return FitIntoWorkArea(SizedLauncherRect(saved, 0, 30, 200, 100), work); };
  constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
  const struct {
    CRect saved, expected;
  } cases[] = {
      {{100, 100, 600, 400}, {100, 130, 600, 430}},         // inside: only the offset
      {{300, 714, 800, 994}, {300, 488, 800, 768}},         // below the bottom: moved up, same size
      {{5000, 100, 5500, 400}, {524, 130, 1024, 430}},      // far right
      {{-900, -500, -400, -200}, {0, 30, 500, 330}},        // negative
      {{50, 60, 51, 61}, {50, 90, 250, 190}},               // one pixel: the minimum
      {{600, 400, 100, 100}, {600, 430, 800, 530}},         // inverted corners
      {{-100, -100, 3000, 2000}, {0, 30, 1024, 768}},       // larger: shrunk to the work area
      {{kMax, kMax, kMax, kMax}, {824, 668, 1024, 768}},    // no overflow at either end
      {{kMin, kMin, kMax, kMax}, {0, 30, 1024, 768}},
  };
  for (const auto& c : cases) EXPECT_EQ(placed(c.saved), c.expected) << c.saved.left << "," << c.saved.top;
  // A minimum larger than the work area gives way: the launcher stays whole.
  EXPECT_EQ(FitIntoWorkArea(SizedLauncherRect({0, 0, 1, 1}, 0, 0, 2000, 100), work), (CRect{0, 30, 1024, 130}));
}

TEST(LauncherPlacement, AColumnTooNarrowOrWiderThanTheWorkAreaGetsItsDefault) {
  EXPECT_EQ(UsableColumnWidth(111, 192, 1024), 111);
  EXPECT_EQ(UsableColumnWidth(kMinColumnWidth, 192, 1024), kMinColumnWidth);
  EXPECT_EQ(UsableColumnWidth(1024, 256, 1024), 1024);
  for (int32_t width : {kMinColumnWidth - 1, 0, -5, INT32_MIN, 1025, INT32_MAX})
    EXPECT_EQ(UsableColumnWidth(width, 192, 1024), 192) << width;
}

// A window too small for both gives the list no room, never a negative height.
TEST(LauncherLayout, QueryBoxAlongTheBottomAndTheListAboveWithTwoPixelGaps) {
  EXPECT_EQ(LayoutLauncher(600, 200, 20).query, (CRect{0, 180, 600, 200}));
  EXPECT_EQ(LayoutLauncher(600, 200, 20).list, (CRect{0, 2, 600, 178}));
  EXPECT_EQ(LayoutLauncher(50, 10, 20).query, (CRect{0, -10, 50, 10}));
  EXPECT_EQ(LayoutLauncher(50, 10, 20).list, (CRect{0, 2, 50, 2}));
}

}  // namespace
