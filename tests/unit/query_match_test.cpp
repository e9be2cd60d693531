#include "launcher/query_match.h"

#include <gtest/gtest.h>

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

// Paths compare by case alone; queries fold further (match_fold_test).
TEST(CaseFolding, LettersBeyondAsciiFoldToo) {
  EXPECT_EQ(FoldCase("NOTEPAD.LNK AZ"), "notepad.lnk az");  // both ends of A-Z
  EXPECT_EQ(FoldCase("\xC3\x89t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");                    // Été -> été
  EXPECT_EQ(FoldCase("\xD0\x94\xD0\x9E\xD0\x9C"), "\xD0\xB4\xD0\xBE\xD0\xBC");      // ДОМ -> дом
  EXPECT_EQ(FoldCase("\xCE\xA3\xCE\x9F"), "\xCF\x83\xCE\xBF");                      // ΣΟ -> σο
  EXPECT_EQ(FoldCase("\xC4\xB0"), "i");                                             // İ
  EXPECT_EQ(FoldCase(std::string("ok\xFF", 3)), std::string("ok\xFF", 3));         // not UTF-8: kept
}

TEST(CaseFolding, PathsOrderAsIfLowerCasedThenByCodePoint) {
  EXPECT_LT(CompareFolded("alpha", "Beta"), 0);
  EXPECT_EQ(CompareFolded("ReadMe", "README"), 0);
  EXPECT_LT(CompareFolded("_setup", "apple"), 0);  // "_" before letters once lower-cased
  EXPECT_LT(CompareFolded("Zebra", "\xC3\x89t\xC3\xA9"), 0);  // z before é by code point
  EXPECT_LT(CompareFolded("ab", "abc"), 0);
  EXPECT_EQ(CompareFolded("\xD0\x94", "\xD0\xB4"), 0);
  EXPECT_NE(CompareFolded("Caf\xC3\xA9", "Cafe"), 0);  // two folders to the file system
}

}  // namespace
