#include "banner/banner_index.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The position is shared by every banner, so a table may meet one left by
// a longer table; whatever it meets, a banner shows and opens only entries
// of its own, and an empty one shows nothing.
TEST(BannerIndex, AdvancesWrapsAndStaysInsideItsOwnTable) {
  const struct {
    int current;
    size_t count;
    int next, own;
  } cases[] = {
      {-1, 3, 0, 0},  // nothing shown yet: the first entry
      {0, 3, 1, 0},
      {2, 3, 0, 2},  // wraps
      {0, 1, 0, 0},
      {5, 3, 0, 2},  // left by a table of six or more
      {7, 1, 0, 0},
      {INT_MAX, 3, 2, 1},  // no overflow on the way
      {-1, 0, -1, -1},
      {4, 0, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.current << " of " << c.count);
    EXPECT_EQ(NextBannerIndex(c.current, c.count), c.next);
    EXPECT_EQ(OwnBannerIndex(c.current, c.count), c.own);
  }
}

}  // namespace
