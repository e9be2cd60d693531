#include "framework/work_area.h"

#include <gtest/gtest.h>

namespace {

int Width(const CRect& r) { return r.right - r.left; }
int Height(const CRect& r) { return r.bottom - r.top; }

TEST(WorkAreaCorner, PutsTheBottomRightCornerOnTheWorkAreaCorner) {
  const CRect work{0, 0, 1024, 738};
  EXPECT_EQ(AlignToWorkAreaCorner(CRect{0, 0, 300, 200}, work), (CRect{724, 538, 1024, 738}));
  // Wherever the window was, even off screen, only its size matters.
  EXPECT_EQ(AlignToWorkAreaCorner(CRect{-500, 900, -200, 1100}, work), (CRect{724, 538, 1024, 738}));
}

TEST(WorkAreaCorner, FollowsAWorkAreaThatDoesNotStartAtTheOrigin) {
  // A taskbar on the left and top, or a second monitor to the left.
  const CRect work{-1280, 40, -80, 1024};
  const CRect moved = AlignToWorkAreaCorner(CRect{10, 10, 410, 310}, work);
  EXPECT_EQ(moved, (CRect{-480, 724, -80, 1024}));
  EXPECT_EQ(Width(moved), 400);
  EXPECT_EQ(Height(moved), 300);
}

TEST(WorkAreaCorner, LargerThanTheWorkAreaRunsPastTheTopLeftUnclamped) {
  const CRect moved = AlignToWorkAreaCorner(CRect{0, 0, 1200, 900}, CRect{0, 0, 1024, 738});
  EXPECT_EQ(moved, (CRect{-176, -162, 1024, 738}));
}

}  // namespace
