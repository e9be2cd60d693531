#include "resultlist/shorten_to_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

namespace {

// Every character is 10 pixels wide, a dot 3: "..." is 9. The units are
// UTF-8 bytes here, so "é" is one character of two units.
int FakeWidth(std::string_view text) {
  int width = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80) continue;
    width += c == '.' ? 3 : 10;
  }
  return width;
}

struct Fitted {
  std::string text;
  bool shortened;
};

Fitted Fit(std::string_view text, int width, int margin) {
  MeasuredText measured;
  measured.length = text.size();
  measured.prefixWidth = [text](size_t count) { return FakeWidth(text.substr(0, count)); };
  measured.startsCharacter = [text](size_t index) { return (static_cast<unsigned char>(text[index]) & 0xC0) != 0x80; };
  const FittedText fit = ShortenToFit(measured, width, margin, FakeWidth("..."));
  return {std::string(text.substr(0, fit.keep)) + (fit.shortened ? "..." : ""), fit.shortened};
}

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
