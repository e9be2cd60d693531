#include "launcher/query_match.h"

#include "framework/match_fold.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string TrimQuery(std::string_view query) {
  size_t begin = 0, end = query.size();
  while (begin < end && IsSpace(query[begin])) ++begin;
  while (end > begin && IsSpace(query[end - 1])) --end;
  return std::string(query.substr(begin, end - begin));
}

void SplitQuery(std::string query, std::vector<std::string>& terms) {
  terms.clear();
  size_t start = 0;
  for (size_t space = query.find(' ', start); space != std::string::npos; space = query.find(' ', start)) {
    size_t end = space + 1;
    while (end > start && IsSpace(query[end - 1])) --end;
    terms.push_back(query.substr(start, end - start));
    start = space + 1;
  }
  terms.push_back(query.substr(start));
}

void FoldedQueryTerms(std::string_view query, std::vector<std::string>& terms) {
  SplitQuery(TrimQuery(MatchFold(query)), terms);
}
