// A fast exact substring search for large buffers of short texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>
#include <string_view>

// Position of the first occurrence of `needle` in `haystack` at or after
// `from`, or std::string_view::npos. An empty needle is found at `from`.
size_t FindSubstring(std::string_view haystack, std::string_view needle, size_t from = 0);

// For a buffer of entries (entry i is [starts[i], starts[i + 1]) of
// `text`), appends to `out` every entry that holds `byte`, once, in order.
// A one-letter query finds most entries: one pass over the buffer beats a
// search started again in every entry.
void EntriesWithByte(std::string_view text, const std::vector<uint32_t>& starts, char byte,
                     std::vector<uint32_t>& out);
