#include "framework/substring_search.h"

#include <algorithm>
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

void EntriesWithByte(std::string_view text, const std::vector<uint32_t>& starts, char byte,
                     std::vector<uint32_t>& out) {
  if (starts.size() < 2) return;
  const size_t entries = starts.size() - 1;
  const size_t first = out.size();
  out.resize(first + entries);
  uint32_t* next = out.data() + first;
  const char* base = text.data();
  const size_t size = text.size();
  // Entry by entry, with no branch on whether it holds the byte: about two
  // in three do for a common letter, a guess the processor would get wrong
  // all the time. Every entry's index is written; only a hit keeps it.
  for (size_t entry = 0; entry < entries; ++entry) {
    size_t pos = starts[entry];
    const size_t end = std::min<size_t>(starts[entry + 1], size);
    unsigned any = 0;
#ifdef VELNOR_HAVE_SSE2
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; pos + 16 <= end; pos += 16) {
      any |= static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos)), wanted)));
    }
    if (pos < end && pos + 16 <= size) {
      const unsigned inEntry = (1u << (end - pos)) - 1;
      any |= inEntry & static_cast<unsigned>(_mm_movemask_epi8(
                           _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos)), wanted)));
      pos = end;
    }
#endif
    for (; pos < end; ++pos) any |= base[pos] == byte ? 1u : 0u;
    *next = static_cast<uint32_t>(entry);
    next += any != 0 ? 1 : 0;
  }
  out.resize(static_cast<size_t>(next - out.data()));
}
