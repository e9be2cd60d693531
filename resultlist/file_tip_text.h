// What the result list's tooltip says about a file over the Title column:
// its name and type, how often and when it was last opened, and with MP3
// support the fields of its ID3v1 tag, one to a line.
#pragma once

#include <string>

#include "framework/env.h"

class CFileInfo;

// The last use is shown in `env`'s local time, as the C library's "%c"
// writes it in the C locale on Windows: 12/06/26 00:30:00.
std::string FileTipSummary(const CFileInfo& file, bool mp3Support, Env& env);
