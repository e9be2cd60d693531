#include "banner/banner_index.h"

#include <gtest/gtest.h>

#include <climits>

// Every banner shares the position, so a table may meet one left by a
// longer table: it still shows and opens only its own entries, and an empty
// one nothing.
TEST(BannerIndex, AdvancesWrapsAndStaysInsideItsOwnTable) {
  const struct { int current; size_t count; int next, own; } cases[] = {
      {-1, 3, 0, 0}, {0, 3, 1, 0}, {2, 3, 0, 2}, {0, 1, 0, 0}, {5, 3, 0, 2},
      {7, 1, 0, 0},  {INT_MAX, 3, 2, 1}, {-1, 0, -1, -1}, {4, 0, -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(NextBannerIndex(c.current, c.count), c.next) << c.current << " of " << c.count;
    EXPECT_EQ(OwnBannerIndex(c.current, c.count), c.own) << c.current << " of " << c.count;
  }
}
