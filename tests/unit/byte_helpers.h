// Byte strings written the way the file format is described: "01 80 FF".
#pragma once

#include <cstdint>
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

inline std::string U16(uint16_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string U32(uint32_t v) {
  return U16(static_cast<uint16_t>(v & 0xFFFF)) + U16(static_cast<uint16_t>(v >> 16));
}

// A text with its one-byte length prefix (texts shorter than 255 bytes).
inline std::string ShortText(std::string_view s) {
  return std::string(1, static_cast<char>(s.size())) + std::string(s);
}
