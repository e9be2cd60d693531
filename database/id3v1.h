// ID3v1 and ID3v1.1 tags: the last 128 bytes of an MP3 file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "database/file_info.h"
#include "framework/env.h"

// The scan reads a tag through the plain file of its platform.
using CMp3File = CFile;

constexpr size_t kId3TagSize = 128;
constexpr int kGenreCount = 126;

// Fills `tag` and returns true when the file ends in a tag; otherwise, and on
// any read error, returns false and leaves `tag` as it was. The file's
// position is the same afterwards.
bool ReadId3Tag(CMp3File& file, Mp3TagInfo& tag);

// The field at `offset`, at most `width` bytes, cut at the first zero byte
// and trimmed of white space at both ends. A field that is valid UTF-8 is
// taken as it is; any other was written in the code page of the tagger's
// system, and is read like an old database text, in the system's ANSI code
// page (Windows-1252 outside Windows).
std::string GetTagField(const unsigned char* buffer, size_t offset, size_t width);

// The genre's name for a signed genre byte; "Unknown" outside 0..125.
const char* GenreName(int genre);
