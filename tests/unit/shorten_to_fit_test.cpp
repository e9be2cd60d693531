#include "resultlist/shorten_to_fit.h"

#include <gtest/gtest.h>

namespace {

// Every character is 10 pixels wide, a dot 3: "..." is 9. Characters are
// counted in UTF-8, so "é" is one character.
int FakeWidth(std::string_view text) {
  int width = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80) continue;
    width += c == '.' ? 3 : 10;
  }
  return width;
}

FittedText Fit(std::string_view text, int width, int margin) { return ShortenToFit(text, width, margin, FakeWidth); }

TEST(ShortenToFit, TextThatFitsWithItsMarginIsReturnedUnchanged) {
  EXPECT_EQ(Fit("abcd", 44, 4).text, "abcd");
  EXPECT_FALSE(Fit("abcd", 44, 4).shortened);
  EXPECT_FALSE(Fit("", 0, 12).shortened);
  EXPECT_EQ(Fit("", 0, 12).text, "");
}

TEST(ShortenToFit, KeepsTheLongestPrefixThatFitsWithTheEllipsisAndMargin) {
  // One pixel short of fitting: 40 + 4 > 43.
  FittedText fitted = Fit("abcd", 43, 4);
  EXPECT_TRUE(fitted.shortened);
  // "abc" + "..." + margin = 30 + 9 + 4 = 43: fits exactly.
  EXPECT_EQ(fitted.text, "abc...");
  EXPECT_EQ(Fit("abcdef", 42, 4).text, "ab...");
  EXPECT_EQ(Fit("Long title of a file", 100, 12).text, "Long ti...");
}

TEST(ShortenToFit, KeepsTheFirstCharacterWhenNothingFits) {
  EXPECT_EQ(Fit("abcdef", 5, 4).text, "a...");
  EXPECT_EQ(Fit("x", 5, 4).text, "x...");
  EXPECT_TRUE(Fit("x", 5, 4).shortened);
}

TEST(ShortenToFit, NeverSplitsAMultiByteCharacter) {
  // "é" is two bytes but one 10-pixel character.
  EXPECT_EQ(Fit("ééé", 29, 0).text, "éé...");
  EXPECT_FALSE(Fit("ééé", 30, 0).shortened);
  EXPECT_EQ(Fit("日本語", 5, 0).text, "日...");
}

}  // namespace
