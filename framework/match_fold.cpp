#include "framework/match_fold.h"

#include <algorithm>
#include <iterator>

#include "framework/text_utf8.h"

namespace {

struct FoldRow {
  char32_t cp;
  char32_t mark;   // the kept mark this code point is, to compose with the letter before
  char32_t to[3];  // what it folds to, ending early with 0
};

struct ComposeRow {
  char32_t base;
  char32_t mark;
  char32_t composed;
};

constexpr FoldRow kFoldRows[] = {
#define VELNOR_MATCH_FOLD_ROWS
#include "framework/match_fold_table.inc"
#undef VELNOR_MATCH_FOLD_ROWS
};

constexpr ComposeRow kComposeRows[] = {
#define VELNOR_MATCH_COMPOSE_ROWS
#include "framework/match_fold_table.inc"
#undef VELNOR_MATCH_COMPOSE_ROWS
};

// Hangul: a decomposed syllable (as a Mac stores it) is composed again, by
// the standard's arithmetic, so that it folds as the typed syllable does.
constexpr char32_t kSyllableFirst = 0xAC00, kSyllableLast = 0xD7A3;
constexpr char32_t kLeadFirst = 0x1100, kLeadLast = 0x1112;
constexpr char32_t kVowelFirst = 0x1161, kVowelLast = 0x1175;
constexpr char32_t kTrailBefore = 0x11A7, kTrailLast = 0x11C2;
constexpr char32_t kVowels = 21, kTrails = 28;

const FoldRow* FindRow(char32_t cp) {
  const FoldRow* end = std::end(kFoldRows);
  const FoldRow* it =
      std::lower_bound(std::begin(kFoldRows), end, cp, [](const FoldRow& r, char32_t v) { return r.cp < v; });
  return it != end && it->cp == cp ? it : nullptr;
}

char32_t Composed(char32_t base, char32_t mark) {
  if (mark >= kVowelFirst && mark <= kVowelLast && base >= kLeadFirst && base <= kLeadLast) {
    return kSyllableFirst + ((base - kLeadFirst) * kVowels + (mark - kVowelFirst)) * kTrails;
  }
  if (mark > kTrailBefore && mark <= kTrailLast && base >= kSyllableFirst && base <= kSyllableLast &&
      (base - kSyllableFirst) % kTrails == 0) {
    return base + (mark - kTrailBefore);
  }
  for (const ComposeRow& row : kComposeRows) {
    if (row.base == base && row.mark == mark) return row.composed;
  }
  return 0;
}

bool IsHangulJamo(char32_t cp) { return (cp >= kVowelFirst && cp <= kVowelLast) || (cp > kTrailBefore && cp <= kTrailLast); }

// Joins `mark` to the letter that ends `out`, if they make one; only the
// last letter of `out` can change, so a prefix of a folded text ahead of
// its last code point is final.
bool ComposeWithLast(std::string& out, char32_t mark) {
  size_t start = out.size();
  if (start == 0) return false;
  do {
    --start;
  } while (start > 0 && out.size() - start < 4 && (static_cast<unsigned char>(out[start]) & 0xC0) == 0x80);
  size_t next = start;
  char32_t last;
  if (!DecodeUtf8At(out, next, last) || next != out.size()) return false;
  const char32_t composed = Composed(last, mark);
  if (composed == 0) return false;
  out.resize(start);
  AppendUtf8(out, composed);
  return true;
}

}  // namespace

void AppendMatchFolded(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
      continue;
    }
    char32_t cp;
    if (!DecodeUtf8At(text, i, cp)) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const FoldRow* row = FindRow(cp);
    if (row == nullptr) {
      if (!IsHangulJamo(cp) || !ComposeWithLast(out, cp)) AppendUtf8(out, cp);
      continue;
    }
    if (row->mark != 0 && ComposeWithLast(out, row->mark)) continue;
    for (const char32_t to : row->to) {
      if (to == 0) break;
      AppendUtf8(out, to);
    }
  }
}

std::string MatchFold(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendMatchFolded(out, text);
  return out;
}

int CompareMatchFolded(std::string_view a, std::string_view b) {
  thread_local std::string foldedA, foldedB;
  foldedA.clear();
  foldedB.clear();
  AppendMatchFolded(foldedA, a);
  AppendMatchFolded(foldedB, b);
  const int c = foldedA.compare(foldedB);
  return (c > 0) - (c < 0);
}
