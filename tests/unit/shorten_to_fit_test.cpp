#include "resultlist/shorten_to_fit.h"

#include <gtest/gtest.h>

#include <tuple>

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
  const std::tuple<const char*, int, int> cases[] = {{"abcd", 44, 4}, {"", 0, 12}, {"ééé", 30, 0}};
  for (const auto& [text, width, margin] : cases) {
    EXPECT_EQ(Fit(text, width, margin).text, text);
    EXPECT_FALSE(Fit(text, width, margin).shortened) << text;
  }
}

// The longest prefix of whole characters that fits with "..." and the
// margin, but never less than the first character.
TEST(ShortenToFit, KeepsTheLongestPrefixThatFitsWithTheEllipsisAndMargin) {
  EXPECT_TRUE(Fit("abcd", 43, 4).shortened);  // one pixel short: 40 + 4 > 43
  EXPECT_EQ(Fit("abcd", 43, 4).text, "abc...");  // 30 + 9 + 4 = 43 fits exactly
  EXPECT_EQ(Fit("abcdef", 42, 4).text, "ab...");
  EXPECT_EQ(Fit("Long title of a file", 100, 12).text, "Long ti...");
  EXPECT_EQ(Fit("abcdef", 5, 4).text, "a...");
  EXPECT_TRUE(Fit("x", 5, 4).shortened);
  EXPECT_EQ(Fit("x", 5, 4).text, "x...");
  EXPECT_EQ(Fit("ééé", 29, 0).text, "éé...");  // "é" is two bytes, one character
  EXPECT_EQ(Fit("日本語", 5, 0).text, "日...");
  // Continuation bytes alone (a damaged name): the first byte still counts
  // as the character that is kept.
  EXPECT_EQ(Fit("\x80\x80\x80", 5, 10).text, "\x80\x80\x80...");
}

}  // namespace
