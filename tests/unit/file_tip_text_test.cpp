#include "resultlist/file_tip_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

// 2026-12-05 22:30:00 UTC: already the next day two hours east of Greenwich.
constexpr VelnorTime kLastUse = 1796509800;
constexpr char kHead[] = "Name: song.mp3\nType: MP3 Audio\n\n";

Mp3TagInfo Tag(std::string title, std::string artist, std::string album, int year, std::string genre,
               std::string comment) {
  Mp3TagInfo tag;
  tag.m_strTitle = std::move(title);
  tag.m_strArtist = std::move(artist);
  tag.m_strAlbum = std::move(album);
  tag.m_nYear = year;
  tag.m_strGenre = std::move(genre);
  tag.m_strComment = std::move(comment);
  return tag;
}

TEST(FileTipTextTest, SummaryOfUsesAndTags) {
  const struct {
    const char* what;
    int uses;
    bool mp3Support;
    std::optional<Mp3TagInfo> tag;
    std::string after;  // what follows the name and type lines
  } cases[] = {
      {"never opened, untagged", 0, true, {}, "Frequency of use: 0 time(s)"},
      {"opened once", 1, true, {}, "Frequency of use: 1 time(s)\nLast used: 12/06/26 00:30:00"},
      {"MP3 support off", 0, false, Tag("Song", "Band", "Album", 1969, "Rock", "Note"),
       "Frequency of use: 0 time(s)"},
      {"year 0 and a genre", 0, true, Tag("Song", "Band", "Album", 0, "Rock", ""),
       "Frequency of use: 0 time(s)\n\nTitle: Song\nArtist: Band\nAlbum: Album - Genre: Rock"},
      {"only a genre", 0, true, Tag("", "", "", 0, "Rock", ""), "Frequency of use: 0 time(s)\n - Genre: Rock"},
      {"an empty tag", 0, true, Tag("", "", "", 0, "", ""), "Frequency of use: 0 time(s)\n"},
      {"every field", 3, true, Tag("Song", "Band", "Album", 1969, "Rock", "Note"),
       "Frequency of use: 3 time(s)\nLast used: 12/06/26 00:30:00\n\nTitle: Song\nArtist: Band\nAlbum: Album\n"
       "Year: 1969 - Genre: Rock\nComment: Note"},
  };
  MemoryEnv env;
  env.utcOffset = 2 * 3600;
  CVelnorDoc doc(env);
  for (const auto& c : cases) {
    // The type comes from the shell through the document, as the launcher shows the file.
    const CFileInfo* file = AddRecord(
        doc, MakeRecord(JoinPath({"C:", "Music", "song.mp3"}),
                        {.useCount = c.uses, .lastUsed = kLastUse, .found = true,
                         .tag = c.tag ? std::make_unique<Mp3TagInfo>(*c.tag) : nullptr}));
    doc.SetFileType(*file, "MP3 Audio", 0);
    EXPECT_EQ(FileTipSummary(*file, c.mp3Support, env), kHead + c.after) << c.what;
  }
}

}  // namespace
