// Which entry of its table a banner shows. Every banner of the program
// shares one position, so one that opens later goes on where the last left
// off; a table may be shorter than the one that last moved that position.
#pragma once

#include <cstddef>

// The position after `current` in a table of `count` entries (`current` is
// -1 before anything was shown). -1 for an empty table, which shows nothing.
int NextBannerIndex(int current, size_t count);

// The entry of a table of `count` that the shared position `current` stands
// for: always one of the table's own, or -1 when it has none.
int OwnBannerIndex(int current, size_t count);
