// How a typed query matches a file: every space-separated term must occur,
// both folded as match_fold.h folds (case, accents, composed or decomposed
// letters, width), in the file's name (or full path) or, for tagged MP3
// files, in one of the tag's fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct MatchOptions {
  bool searchFullPath = false;
  bool mp3Support = true;
};

// Space is the only separator. Each term but the last loses its trailing
// white space; two spaces in a row give an empty term, which matches
// everything. Never returns fewer than one term.
void SplitQuery(std::string query, std::vector<std::string>& terms);

// The query as typed: white space is trimmed from both ends first.
std::string TrimQuery(std::string_view query);

// The folded terms of a query as typed. The whole query is folded before it
// is split, so an ideographic space parts words as a space does.
void FoldedQueryTerms(std::string_view query, std::vector<std::string>& terms);
