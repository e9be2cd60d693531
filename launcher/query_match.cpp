#include "launcher/query_match.h"

#include "database/file_info.h"
#include "framework/case_fold.h"

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

bool ContainsNoCase(std::string_view text, std::string_view term) {
  if (term.empty()) return true;
  return FoldCase(text).find(FoldCase(term)) != std::string::npos;
}

bool NumberContains(int32_t number, std::string_view term) {
  return std::to_string(number).find(FoldCase(term)) != std::string::npos;
}

bool RecordMatches(const CFileInfo& record, const std::vector<std::string>& terms, const MatchOptions& options) {
  const bool tagged = options.mp3Support && record.IsTagged();
  for (const std::string& term : terms) {
    bool found = ContainsNoCase(options.searchFullPath ? std::string_view(record.Path()) : record.Name(), term);
    if (!found && tagged) {
      const Mp3TagInfo& tag = *record.m_pTag;
      found = ContainsNoCase(tag.m_strTitle, term) || ContainsNoCase(tag.m_strArtist, term) ||
              ContainsNoCase(tag.m_strAlbum, term) || ContainsNoCase(tag.m_strComment, term) ||
              NumberContains(tag.m_nYear, term) || ContainsNoCase(tag.m_strGenre, term);
    }
    if (!found) return false;
  }
  return true;
}
