// The folding that decides what a typed query finds and how titles sort:
// case, canonical equivalence (a letter composed or decomposed), diacritics
// (é, ü, ñ, ç, å, Greek tonos, Cyrillic ё fold to their base letter), the
// letters written as plain Latin (ß ss, æ ae, œ oe, ø o, ł l, đ d) and width
// (full-width Latin and digits, half-width katakana). Letters that a
// language writes as letters of their own keep their mark: Cyrillic й and ў,
// and kana with their voicing marks (ガ is not カ).
//
// Paths are compared by case alone (case_fold.h): Café and Cafe are two
// folders to the file system. The table comes from Unicode 14.0
// (scripts/gen_match_fold_table.py).
#pragma once

#include <string>
#include <string_view>

// Appends the folded form of UTF-8 text. Bytes that are not UTF-8 are
// copied unchanged. Folding is done once per text and once per query: the
// folded forms are what matching and ordering compare, byte by byte.
void AppendMatchFolded(std::string& out, std::string_view text);
std::string MatchFold(std::string_view text);

// Orders two texts by their folded forms, byte by byte (so by code point):
// negative, zero or positive. Folds both into buffers of the calling thread.
int CompareMatchFolded(std::string_view a, std::string_view b);
