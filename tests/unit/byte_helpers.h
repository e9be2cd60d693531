// Byte strings written the way the file format is described: "01 80 FF".
#pragma once

#include <string>
#include <string_view>

inline std::string Hex(std::string_view spaced) {
  std::string out;
  int high = -1;
  for (char c : spaced) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return out;
}

// A text with its one-byte length prefix (texts shorter than 255 bytes).
inline std::string ShortText(std::string_view s) {
  return std::string(1, static_cast<char>(s.size())) + std::string(s);
}
