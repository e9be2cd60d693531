#include "framework/work_area.h"

#include <gtest/gtest.h>

namespace {

// Only the window's size matters, wherever it was; a work area need not
// start at the origin; a window larger than it runs past its top left.
TEST(WorkAreaCorner, PutsTheBottomRightCornerOnTheWorkAreaCorner) {
  const struct {
    CRect window, work, expected;
  } cases[] = {
      {{0, 0, 300, 200}, {0, 0, 1024, 738}, {724, 538, 1024, 738}},
      {{-500, 900, -200, 1100}, {0, 0, 1024, 738}, {724, 538, 1024, 738}},  // off screen
      {{10, 10, 410, 310}, {-1280, 40, -80, 1024}, {-480, 724, -80, 1024}},  // a monitor to the left
      {{0, 0, 1200, 900}, {0, 0, 1024, 738}, {-176, -162, 1024, 738}},       // unclamped
  };
  for (const auto& c : cases) EXPECT_EQ(AlignToWorkAreaCorner(c.window, c.work), c.expected);
}

}  // namespace
