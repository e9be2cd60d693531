#include "launcher/query_match.h"

#include <gtest/gtest.h>

#include "database/file_info.h"
#include "framework/case_fold.h"

namespace {

std::vector<std::string> Split(const std::string& query) {
  std::vector<std::string> terms;
  SplitQuery(query, terms);
  return terms;
}

TEST(SplitQuery, SpaceIsTheOnlySeparatorAndEmptyTermsAreKept) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(""), V{""});
  EXPECT_EQ(Split("note"), V{"note"});
  EXPECT_EQ(Split("a b"), (V{"a", "b"}));
  EXPECT_EQ(Split("a  b"), (V{"a", "", "b"}));
  EXPECT_EQ(Split("a\tb"), V{"a\tb"});
  EXPECT_EQ(Split("a\t b"), (V{"a", "b"}));  // white space before a space goes with it
  EXPECT_EQ(Split("a "), (V{"a", ""}));
  EXPECT_EQ(TrimQuery("  a b\t "), "a b");
}

TEST(CaseFolding, LettersBeyondAsciiFoldToo) {
  EXPECT_EQ(FoldCase("NOTEPAD.LNK AZ"), "notepad.lnk az");  // both ends of A-Z
  EXPECT_EQ(FoldCase("\xC3\x89t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");                    // Été -> été
  EXPECT_EQ(FoldCase("\xD0\x94\xD0\x9E\xD0\x9C"), "\xD0\xB4\xD0\xBE\xD0\xBC");      // ДОМ -> дом
  EXPECT_EQ(FoldCase("\xCE\xA3\xCE\x9F"), "\xCF\x83\xCE\xBF");                      // ΣΟ -> σο
  EXPECT_EQ(FoldCase("\xC4\xB0"), "i");                                             // İ
  EXPECT_EQ(FoldCase(std::string("ok\xFF", 3)), std::string("ok\xFF", 3));         // not UTF-8: kept
  EXPECT_TRUE(ContainsNoCase("Notepad.lnk", "NOTE"));
  EXPECT_TRUE(ContainsNoCase("\xC3\x89t\xC3\xA9.doc", "\xC3\xA9T\xC3\x89"));
  EXPECT_TRUE(ContainsNoCase("", ""));
  EXPECT_FALSE(ContainsNoCase("", "a"));
}

TEST(CaseFolding, TitlesOrderAsIfLowerCasedThenByCodePoint) {
  EXPECT_LT(CompareFolded("alpha", "Beta"), 0);
  EXPECT_EQ(CompareFolded("ReadMe", "README"), 0);
  EXPECT_LT(CompareFolded("_setup", "apple"), 0);  // "_" before letters once lower-cased
  EXPECT_LT(CompareFolded("Zebra", "\xC3\x89t\xC3\xA9"), 0);  // z before é by code point
  EXPECT_LT(CompareFolded("ab", "abc"), 0);
  EXPECT_EQ(CompareFolded("\xD0\x94", "\xD0\xB4"), 0);
}

// The year matches by any part of its decimal form.
TEST(RecordMatches, NameOrPathAndTagFields) {
  CFileInfo record;
  record.SetKeyPath("C:\\Music\\Beatles\\track01.mp3");
  record.SetNameLength(11);
  record.m_pTag = std::make_unique<Mp3TagInfo>();
  record.m_pTag->m_strArtist = "The Beatles";
  record.m_pTag->m_nYear = 1969;
  record.m_bHasTag = true;
  const MatchOptions nameMp3{false, true}, pathOnly{true, false}, nameOnly{false, false};
  EXPECT_TRUE(RecordMatches(record, Split("beatles 96"), nameMp3));
  EXPECT_FALSE(RecordMatches(record, Split("beatles 96"), nameOnly));
  EXPECT_FALSE(RecordMatches(record, Split("1970"), nameMp3));
  EXPECT_TRUE(RecordMatches(record, Split("beatles track"), pathOnly));
  EXPECT_FALSE(RecordMatches(record, Split("music"), nameOnly));
  record.m_bHasTag = false;  // a tag record alone does not count
  EXPECT_FALSE(RecordMatches(record, Split("1969"), nameMp3));
}

}  // namespace
