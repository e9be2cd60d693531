// How a typed query matches a file: every space-separated term must occur,
// ignoring case, in the file's name (or full path) or, for tagged MP3 files,
// in one of the tag's fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFileInfo;

struct MatchOptions {
  bool searchFullPath = false;
  bool mp3Support = true;
};

// Space is the only separator. Each term but the last loses its trailing
// white space; two spaces in a row give an empty term, which matches
// everything. Never returns fewer than one term.
void SplitQuery(std::string query, std::vector<std::string>& terms);

bool ContainsNoCase(std::string_view text, std::string_view term);
bool NumberContains(int32_t number, std::string_view term);

// The query as typed: white space is trimmed from both ends first.
std::string TrimQuery(std::string_view query);

// The rule for one record, spelled out plainly: the reference that the fast
// filter is checked against.
bool RecordMatches(const CFileInfo& record, const std::vector<std::string>& terms, const MatchOptions& options);
