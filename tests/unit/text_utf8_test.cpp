#include "framework/text_utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Validation, AcceptsWellFormedAndRejectsTheRest) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xE6\x96\x87 \xF0\x9F\x8E\xB5"));
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));     // U+10FFFF
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));             // a lone Latin-1 byte
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));            // overlong NUL
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));        // overlong slash
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));        // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));    // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE6\x96"));            // cut short
  EXPECT_FALSE(IsValidUtf8("\x80"));                // a stray continuation
}

TEST(LegacyText, StoredTextsOutsideUtf8AreTakenAsTheAnsiPage) {
  EXPECT_EQ(StoredTextToUtf8("plain"), "plain");
  EXPECT_EQ(StoredTextToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");  // already UTF-8
  EXPECT_EQ(StoredTextToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(StoredTextToUtf8("\x80 5"), "\xE2\x82\xAC 5");      // the euro sign
  EXPECT_TRUE(IsValidUtf8(StoredTextToUtf8(std::string("\x81\x8D\x8F\x90\x9D\xFF", 6))));
}

TEST(LegacyText, Latin1MapsEveryByteToItsCodePoint) {
  EXPECT_EQ(Latin1ToUtf8("Bj\xF6rk \x80"), "Bj\xC3\xB6rk \xC2\x80");
}

TEST(Utf16, WhatIsNotUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("caf\xE9!"), u"caf\uFFFD!");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
}

}  // namespace
