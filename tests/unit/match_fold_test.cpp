// The folding rules of a query, each shown on the texts users meet.
#include "framework/match_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/text_utf8.h"
#include "launcher/query_match.h"

namespace {

// Code points written as \u escapes, so every case says which it holds.
std::string U(std::u32string_view text) {
  std::string out;
  for (const char32_t cp : text) AppendUtf8(out, cp);
  return out;
}

std::string F(std::u32string_view text) { return MatchFold(U(text)); }

TEST(MatchFold, ComposedAndDecomposedLettersFoldToTheirBaseLetter) {
  EXPECT_EQ(F(U"Caf\u00E9"), "cafe");
  EXPECT_EQ(F(U"Cafe\u0301"), "cafe");
  EXPECT_EQ(F(U"R\u00C9SUME\u0301"), "resume");
  EXPECT_EQ(F(U"\u00E8\u00EA\u00EB\u00F1\u00E7\u00C5Zu\u0308rich\u00FC"), "eeenca" "zurichu");
  EXPECT_EQ(F(U"\u0386\u0398\u0389\u039D\u0391 \u03CA\u0390"), F(U"\u03B1\u03B8\u03B7\u03BD\u03B1 \u03B9\u03B9"));
  EXPECT_EQ(F(U"\u0401\u0451\u0435\u0308"), F(U"\u0435\u0435\u0435"));  // ё and е with a diaeresis
  EXPECT_EQ(F(U"\u1100\u1161\u11A8"), F(U"\uAC01"));                    // Hangul jamo make the syllable
}

TEST(MatchFold, LettersWrittenAsPlainLatinAndTheFinalSigma) {
  EXPECT_EQ(F(U"Stra\u00DFe STRA\u1E9EE"), "strasse strasse");
  EXPECT_EQ(F(U"\u00C6sir \u0152uvre \u00D8re \u0141\u00F3d\u017A \u0110akovo"), "aesir oeuvre ore lodz dakovo");
  EXPECT_EQ(F(U"\u039F\u0394\u039F\u03A3"), F(U"\u03BF\u03B4\u03BF\u03C2"));  // ΟΔΟΣ finds οδος
}

// Where the mark makes a letter of its own it stays, composed or not: й is
// not и to a Russian reader, nor ガ カ to a Japanese one.
TEST(MatchFold, LettersOfTheirOwnKeepTheirMark) {
  EXPECT_NE(F(U"\u0439"), F(U"\u0438"));
  EXPECT_EQ(F(U"\u0419\u0438\u0306\u040E"), F(U"\u0439\u0439\u045E"));
  EXPECT_EQ(F(U"a\u0306\u0103"), "aa");                                 // Romanian ă is a diacritic
  EXPECT_EQ(F(U"\u30AB\u3099\uFF76\uFF9E\u30AC"), F(U"\u30AC\u30AC\u30AC"));
  EXPECT_NE(F(U"\u30AC"), F(U"\u30AB"));
}

TEST(MatchFold, FullWidthAndHalfWidthFormsFoldToTheOrdinaryOnes) {
  EXPECT_EQ(F(U"\uFF32\uFF45\uFF50\uFF4F\uFF52\uFF54\uFF12\uFF10\uFF12\uFF16"), "report2026");
  EXPECT_EQ(F(U"\uFF76\uFF80\uFF76\uFF85"), F(U"\u30AB\u30BF\u30AB\u30CA"));
  EXPECT_EQ(F(U"a\u3000b"), "a b");
  EXPECT_EQ(F(U"a\uFF3Cb\uFF0F"), U(U"a\uFF3Cb\uFF0F"));  // never a folder separator
}

TEST(MatchFold, TextThatIsNotUtf8IsKeptAndFoldedTextFoldsToItself) {
  EXPECT_EQ(MatchFold(std::string("ok\xFF\xC3", 4)), std::string("ok\xFF\xC3", 4));
  const std::string folded = F(U"\u00C9\u0418\u0306\uFF76\uFF9E\u1100\u1161 Stra\u00DFe");
  EXPECT_EQ(MatchFold(folded), folded);
}

TEST(MatchFold, TitlesOrderByTheirFoldedForms) {
  EXPECT_LT(CompareMatchFolded("Eagle", U(U"\u00C9mile")), 0);
  EXPECT_LT(CompareMatchFolded(U(U"\u00C9mile"), "Fox"), 0);
  EXPECT_EQ(CompareMatchFolded(U(U"Caf\u00E9"), U(U"CAFE\u0301")), 0);
}

TEST(MatchFold, AQueryIsFoldedWholeThenSplit) {
  std::vector<std::string> terms;
  FoldedQueryTerms(U(U" \uFF23\uFF41\uFF46\u00E9\u3000MENU  x\t"), terms);
  EXPECT_EQ(terms, (std::vector<std::string>{"cafe", "menu", "", "x"}));
}

}  // namespace
