// The ID3v1 reader over arbitrary file contents: it must never read outside
// its 128-byte buffer, must put the file position back, and must only ever
// produce valid UTF-8 that fits the field it came from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "database/id3v1.h"
#include "framework/text_utf8.h"
#include "tests/unit/memory_env.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckField(const std::string& field, size_t width) {
  Check(IsValidUtf8(field));
  Check(field.size() <= 3 * width);  // a code page's byte becomes at most three (0x80: U+20AC)
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryEnv::MemoryFile file(std::string(reinterpret_cast<const char*>(data), size));
  const uint64_t start = size ? data[0] % (size + 1) : 0;
  file.Seek(start);
  Mp3TagInfo tag;
  const bool read = ReadId3Tag(file, tag);
  uint64_t position = 0;
  file.GetPosition(position);
  Check(position == start);
  Check(read == (size >= kId3TagSize && std::memcmp(data + size - kId3TagSize, "TAG", 3) == 0));
  if (read) {
    CheckField(tag.m_strTitle, 30);
    CheckField(tag.m_strArtist, 30);
    CheckField(tag.m_strAlbum, 30);
    CheckField(tag.m_strComment, 30);
    Check(tag.m_strGenre == GenreName(tag.m_nGenre));
    Check(tag.m_nYear > -1000 && tag.m_nYear < 10000);
  }
  if (size >= kId3TagSize) {
    // Any field the buffer holds, at any width that stays inside it.
    const size_t offset = data[1] % kId3TagSize;
    const size_t width = data[2] % (kId3TagSize - offset + 1);
    CheckField(GetTagField(data + size - kId3TagSize, offset, width), width);
  }
  return 0;
}
