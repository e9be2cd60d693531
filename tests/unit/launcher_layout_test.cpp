#include "launcher/launcher_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(LauncherPlacement, FirstOpeningKeepsTheCornerAndDefaultWidthsOnce) {
  CWindowPlacement placement;
  const CRect corner{400, 500, 1024, 738};
  EXPECT_TRUE(CaptureFirstPlacement(placement, corner));
  EXPECT_TRUE(placement.m_bValid);
  EXPECT_EQ(placement.m_rect, corner);
  EXPECT_EQ(placement.m_nTitleWidth, 192);
  EXPECT_EQ(placement.m_nFolderWidth, 256);

  // A later opening keeps what the user left.
  SavePlacement(placement, CRect{10, 20, 310, 220}, 100, 150);
  EXPECT_FALSE(CaptureFirstPlacement(placement, corner));
  EXPECT_EQ(placement.m_rect, (CRect{10, 20, 310, 220}));
  EXPECT_EQ(placement.m_nTitleWidth, 100);
  EXPECT_EQ(placement.m_nFolderWidth, 150);
}

TEST(LauncherLayout, QueryBoxAlongTheBottomAndTheListAboveWithTwoPixelGaps) {
  for (const auto& [w, h] : {std::pair{600, 200}, std::pair{300, 100}, std::pair{1000, 700}}) {
    const LauncherLayout layout = LayoutLauncher(w, h, 20);
    EXPECT_EQ(layout.query, (CRect{0, h - 20, w, h}));
    EXPECT_EQ(layout.list, (CRect{0, 2, w, h - 22}));
  }
}

TEST(LauncherLayout, ATinyWindowGivesTheListNoRoomButNeverANegativeHeight) {
  const LauncherLayout layout = LayoutLauncher(50, 10, 20);
  EXPECT_EQ(layout.list.bottom, 2);
  EXPECT_EQ(layout.query, (CRect{0, -10, 50, 10}));
}

}  // namespace
