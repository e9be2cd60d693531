#include "framework/case_fold.h"

#include <algorithm>
#include <cstdint>

#include "framework/text_utf8.h"

namespace {

struct FoldRange {
  char32_t first;
  char32_t last;
  int stride;
  int delta;
};

constexpr FoldRange kFoldRanges[] = {
#include "framework/case_fold_table.inc"
};

constexpr unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// The folded code point at `i`, advancing past it. Invalid bytes order as
// themselves, after every valid code point.
inline uint32_t NextFoldedKey(std::string_view text, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    ++i;
    return AsciiLower(c);
  }
  size_t next = i;
  char32_t cp;
  if (!DecodeUtf8At(text, next, cp)) {
    ++i;
    return 0x110000u + c;
  }
  i = next;
  return static_cast<uint32_t>(FoldCodePoint(cp));
}

}  // namespace

char32_t FoldCodePoint(char32_t cp) {
  if (cp < 0x80) return AsciiLower(static_cast<unsigned char>(cp));
  const FoldRange* end = std::end(kFoldRanges);
  const FoldRange* it = std::upper_bound(std::begin(kFoldRanges), end, cp,
                                         [](char32_t v, const FoldRange& r) { return v < r.first; });
  if (it == std::begin(kFoldRanges)) return cp;
  --it;
  if (cp > it->last || (cp - it->first) % it->stride != 0) return cp;
  return static_cast<char32_t>(static_cast<int32_t>(cp) + it->delta);
}

void AppendFolded(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(AsciiLower(c));
      ++i;
      continue;
    }
    size_t next = i;
    char32_t cp;
    if (DecodeUtf8At(text, next, cp)) {
      AppendUtf8(out, FoldCodePoint(cp));
      i = next;
    } else {
      out += static_cast<char>(c);
      ++i;
    }
  }
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendFolded(out, text);
  return out;
}

int CompareFolded(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const uint32_t ka = NextFoldedKey(a, i);
    const uint32_t kb = NextFoldedKey(b, j);
    if (ka != kb) return ka < kb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

size_t FoldedPrefixLength(std::string_view text, std::string_view prefix) {
  size_t i = 0, j = 0;
  while (j < prefix.size()) {
    if (i == text.size() || NextFoldedKey(text, i) != NextFoldedKey(prefix, j)) return std::string_view::npos;
  }
  return i;
}
