#include "banner/banner_index.h"

int OwnBannerIndex(int current, size_t count) {
  if (count == 0) return -1;
  // Before the first showing the position is -1: the first entry stands.
  if (current < 0) return 0;
  return static_cast<int>(static_cast<size_t>(current) % count);
}

int NextBannerIndex(int current, size_t count) {
  if (count == 0) return -1;
  if (current < 0) return 0;
  // Reduced first, so a position left by a longer table cannot overflow.
  return static_cast<int>((static_cast<size_t>(current) % count + 1) % count);
}
