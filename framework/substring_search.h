// A fast exact substring search for large buffers of short texts.
#pragma once

#include <cstddef>
#include <string_view>

// Position of the first occurrence of `needle` in `haystack` at or after
// `from`, or std::string_view::npos. An empty needle is found at `from`.
size_t FindSubstring(std::string_view haystack, std::string_view needle, size_t from = 0);
