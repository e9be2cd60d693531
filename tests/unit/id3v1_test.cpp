#include "database/id3v1.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/byte_helpers.h"
#include "tests/unit/memory_env.h"

namespace {

// Every read starts mid-file, and the scan reads on from there afterwards.
bool Read(const std::string& file, Mp3TagInfo& tag) {
  MemoryEnv::MemoryFile mp3(file);
  const uint64_t start = file.size() / 2;
  mp3.Seek(start);
  const bool read = ReadId3Tag(mp3, tag);
  uint64_t position = 0;
  EXPECT_TRUE(mp3.GetPosition(position));
  EXPECT_EQ(position, start);
  return read;
}

TEST(Id3v1, NeedsTheUpperCaseMarkerInTheLast128Bytes) {
  Mp3TagInfo tag;
  EXPECT_FALSE(Read(TagBytes().bytes.substr(1), tag));  // 127 bytes
  EXPECT_TRUE(Read(TagBytes().bytes, tag));             // a tag alone
  EXPECT_TRUE(Read(std::string(5000, 'x') + TagBytes().bytes, tag));
  tag.m_strTitle = "kept";
  EXPECT_FALSE(Read(TagBytes().Put(0, "tag").bytes, tag));
  EXPECT_EQ(tag.m_strTitle, "kept");
}

// A field not in UTF-8 is in the system's ANSI code page, Windows-1252 here
// (quotes and the euro sign lie at 0x80-0x9F); one in UTF-8 is left alone.
TEST(Id3v1, FieldsAreCutAtZeroTrimmedAndMadeUtf8) {
  Mp3TagInfo tag;
  ASSERT_TRUE(Read(TagBytes().Put(3, std::string(30, 'T')).Put(33, "   ").Put(36, std::string(27, ' '))
                       .Byte(63, 0).Put(64, "hidden").bytes,
                   tag));
  EXPECT_EQ(tag.m_strTitle, std::string(30, 'T'));
  EXPECT_EQ(tag.m_strArtist, "");
  EXPECT_EQ(tag.m_strAlbum, "");
  EXPECT_EQ(GetTagField(reinterpret_cast<const unsigned char*>("\t pad \r\n"), 0, 8), "pad");
  ASSERT_TRUE(Read(TagBytes().Put(3, "Bj\xF6rk").Put(33, "Si\xC3\xB4n").bytes, tag));
  EXPECT_EQ(tag.m_strTitle, "Bj\xC3\xB6rk");
  EXPECT_EQ(tag.m_strArtist, "Si\xC3\xB4n");
  ASSERT_TRUE(Read(TagBytes().Put(63, "\x93" "Caf\xE9\x94 \x80" "5 \x96 \x85").bytes, tag));
  EXPECT_EQ(tag.m_strAlbum, "\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D \xE2\x82\xAC" "5 \xE2\x80\x93 \xE2\x80\xA6");
}

// 125 is the last genre with a name; the byte is signed, so 255 is -1.
TEST(Id3v1, YearTakesTheLeadingNumberAndGenresPastTheTableAreUnknown) {
  const std::pair<std::string, int32_t> years[] = {
      {"2001", 2001}, {" 99 ", 99}, {"199x", 199}, {"    ", 0}, {"abcd", 0}, {"-12 ", -12}};
  for (const auto& [field, year] : years) {
    Mp3TagInfo tag;
    ASSERT_TRUE(Read(TagBytes().Put(93, field).bytes, tag));
    EXPECT_EQ(tag.m_nYear, year) << '"' << field << '"';
  }
  const std::tuple<unsigned char, int, const char*> genres[] = {
      {125, 125, "Dance Hall"}, {126, 126, "Unknown"}, {255, -1, "Unknown"}};
  for (const auto& [byte, genre, name] : genres) {
    Mp3TagInfo tag;
    ASSERT_TRUE(Read(TagBytes().Byte(127, byte).bytes, tag));
    EXPECT_EQ(tag.m_nGenre, genre);
    EXPECT_EQ(tag.m_strGenre, name);
  }
}

TEST(Id3v1, Version11CarriesATrackNumber) {
  Mp3TagInfo tag;
  ASSERT_TRUE(Read(TagBytes().Put(97, std::string(28, 'c')).Byte(125, 0).Byte(126, 7).bytes, tag));
  EXPECT_EQ(tag.m_nTrack, 7);
  EXPECT_EQ(tag.m_strComment, std::string(28, 'c'));
  ASSERT_TRUE(Read(TagBytes().Put(97, std::string(28, 'c')).Byte(125, 0x41).Byte(126, 0x42).bytes, tag));
  EXPECT_EQ(tag.m_nTrack, 0);
  EXPECT_EQ(tag.m_strComment, std::string(28, 'c') + "AB");
}

}  // namespace
