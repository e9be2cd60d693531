// The bytes of a file-drop block, the form in which files travel by drag
// and drop and the clipboard (CF_HDROP): a 20-byte DROPFILES header, every
// path with its terminating zero, then one more zero to end the list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The paths go as UTF-16 with the header's wide flag set: the ANSI form
// would turn a name outside the code page into question marks, and the
// target would open nothing or the wrong file. Every target that takes
// files reads both forms. Empty paths are left out (an empty name would end
// the list early).
std::string BuildFileDropBlock(const std::vector<std::string_view>& utf8Paths);
