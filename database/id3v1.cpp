#include "database/id3v1.h"

#include <cstring>

#include "framework/text_utf8.h"

namespace {

const char* const kGenres[kGenreCount] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "Alt. Rock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta Rap",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing",
    "Fast-Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo",
    "A Cappella", "Euro-House", "Dance Hall"};

bool IsTagSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Optional leading white space and sign, then the longest run of digits.
int32_t ParseYear(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsTagSpace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

}  // namespace

const char* GenreName(int genre) {
  return (genre >= 0 && genre < kGenreCount) ? kGenres[genre] : "Unknown";
}

std::string GetTagField(const unsigned char* buffer, size_t offset, size_t width) {
  const unsigned char* begin = buffer + offset;
  const unsigned char* end = static_cast<const unsigned char*>(std::memchr(begin, 0, width));
  if (end == nullptr) end = begin + width;
  while (begin < end && IsTagSpace(*begin)) ++begin;
  while (end > begin && IsTagSpace(end[-1])) --end;
  const std::string_view raw(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
  return StoredTextToUtf8(raw);
}

bool ReadId3Tag(CMp3File& file, Mp3TagInfo& tag) {
  unsigned char buffer[kId3TagSize] = {};
  uint64_t position = 0;
  uint64_t length = 0;
  if (!file.GetPosition(position) || !file.GetLength(length)) return false;
  if (length < kId3TagSize) return false;
  if (!file.Seek(length - kId3TagSize)) {
    file.Seek(position);
    return false;
  }
  const size_t got = file.Read(buffer, kId3TagSize);
  const bool restored = file.Seek(position);
  // A short read is an I/O error here (the length said 128 bytes were
  // there); a half-read tag is no tag.
  if (got != kId3TagSize || !restored) return false;
  if (std::memcmp(buffer, "TAG", 3) != 0) return false;

  tag.m_strTitle = GetTagField(buffer, 3, 30);
  tag.m_strArtist = GetTagField(buffer, 33, 30);
  tag.m_strAlbum = GetTagField(buffer, 63, 30);
  tag.m_nYear = ParseYear(GetTagField(buffer, 93, 4));
  if (buffer[125] == 0) {
    tag.m_nTrack = buffer[126];
    tag.m_strComment = GetTagField(buffer, 97, 28);
  } else {
    tag.m_nTrack = 0;
    tag.m_strComment = GetTagField(buffer, 97, 30);
  }
  tag.m_nGenre = static_cast<int8_t>(buffer[127]);
  tag.m_strGenre = GenreName(tag.m_nGenre);
  return true;
}
