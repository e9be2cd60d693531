// Case folding for paths, as Windows compares them: every letter with a
// one-to-one lower-case form (Latin, Greek, Cyrillic, Armenian, ...) maps to
// it, and nothing else changes, so "Café" and "Cafe" stay two folders. What
// a query finds, and the title order, fold further (match_fold.h).
#pragma once

#include <string>
#include <string_view>

char32_t FoldCodePoint(char32_t cp);

// Appends the folded form of UTF-8 text. Bytes that are not UTF-8 are
// copied unchanged.
void AppendFolded(std::string& out, std::string_view text);
std::string FoldCase(std::string_view text);

// Orders as if both texts were folded first, then compared by code point
// (so "_" sorts before letters). Negative, zero or positive.
int CompareFolded(std::string_view a, std::string_view b);

// How many bytes at the start of `text` match all of `prefix` when both are
// folded; npos when `text` does not start so.
size_t FoldedPrefixLength(std::string_view text, std::string_view prefix);
