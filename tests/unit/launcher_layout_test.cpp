#include "launcher/launcher_layout.h"

#include <gtest/gtest.h>

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

// A window too small for both gives the list no room, never a negative height.
TEST(LauncherLayout, QueryBoxAlongTheBottomAndTheListAboveWithTwoPixelGaps) {
  EXPECT_EQ(LayoutLauncher(600, 200, 20).query, (CRect{0, 180, 600, 200}));
  EXPECT_EQ(LayoutLauncher(600, 200, 20).list, (CRect{0, 2, 600, 178}));
  EXPECT_EQ(LayoutLauncher(50, 10, 20).query, (CRect{0, -10, 50, 10}));
  EXPECT_EQ(LayoutLauncher(50, 10, 20).list, (CRect{0, 2, 50, 2}));
}

}  // namespace
