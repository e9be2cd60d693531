#include "framework/substring_search.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define VELNOR_HAVE_SSE2 1
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#endif

namespace {

#ifdef VELNOR_HAVE_SSE2
#if defined(_MSC_VER) && !defined(__clang__)
inline unsigned LowestBit(unsigned mask) {
  unsigned long index;
  _BitScanForward(&index, mask);
  return static_cast<unsigned>(index);
}
#else
inline unsigned LowestBit(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(mask)); }
#endif
#endif

}  // namespace

size_t FindSubstring(std::string_view haystack, std::string_view needle, size_t from) {
  const size_t n = haystack.size();
  const size_t m = needle.size();
  if (m == 0) return from <= n ? from : std::string_view::npos;
  if (from >= n || n - from < m) return std::string_view::npos;
  const char* base = haystack.data();
  if (m == 1) {
    const void* hit = std::memchr(base + from, needle[0], n - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : std::string_view::npos;
  }

  size_t i = from;
  const size_t last = n - m;  // the last position a match can start at
#ifdef VELNOR_HAVE_SSE2
  // Compare the needle's first and last bytes at 16 positions at once; only
  // positions where both agree get a full comparison.
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i lastByte = _mm_set1_epi8(needle[m - 1]);
  while (i + 16 <= last + 1) {
    const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
    const __m128i blockLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + m - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(blockFirst, first), _mm_cmpeq_epi8(blockLast, lastByte))));
    while (mask != 0) {
      const unsigned bit = LowestBit(mask);
      if (std::memcmp(base + i + bit + 1, needle.data() + 1, m - 2) == 0) return i + bit;
      mask &= mask - 1;
    }
    i += 16;
  }
#endif
  for (; i <= last; ++i) {
    if (base[i] == needle[0] && base[i + m - 1] == needle[m - 1] &&
        std::memcmp(base + i + 1, needle.data() + 1, m - 2) == 0) {
      return i;
    }
  }
  return std::string_view::npos;
}
