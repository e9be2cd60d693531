#include "resultlist/file_tip_text.h"

#include <cstdio>

#include "database/file_info.h"

namespace {

std::string LastUsedText(const CalendarTime& t) {
  char text[80];
  std::snprintf(text, sizeof(text), "%02d/%02d/%02d %02d:%02d:%02d", t.month, t.day, t.year % 100, t.hour,
                t.minute, t.second);
  return text;
}

// Each field that is set, after its separator; the genre shares the line
// of the entry before it.
std::string TagText(const Mp3TagInfo& tag) {
  std::string text;
  const auto add = [&text](const char* separator, const char* label, const std::string& value) {
    if (!value.empty()) text.append(separator).append(label).append(value);
  };
  add("\n", "Title: ", tag.m_strTitle);
  add("\n", "Artist: ", tag.m_strArtist);
  add("\n", "Album: ", tag.m_strAlbum);
  if (tag.m_nYear != 0) text.append("\nYear: ").append(std::to_string(tag.m_nYear));
  add(" - ", "Genre: ", tag.m_strGenre);
  add("\n", "Comment: ", tag.m_strComment);
  return text;
}

}  // namespace

std::string FileTipSummary(const CFileInfo& file, bool mp3Support, Env& env) {
  std::string text;
  text.append("Name: ").append(file.Name()).append("\nType: ").append(file.Type()).append("\n\n");
  text.append("Frequency of use: ").append(std::to_string(file.UseCount())).append(" time(s)");
  if (file.UseCount() > 0) text.append("\nLast used: ").append(LastUsedText(env.ToLocalTime(file.LastUsed())));
  if (mp3Support && file.IsTagged()) text.append("\n").append(TagText(*file.Tag()));
  return text;
}
