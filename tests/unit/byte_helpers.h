// Byte strings written the way the file formats are described.
#pragma once

#include <string>
#include <string_view>

// "01 80 FF": hexadecimal pairs, spaces anywhere.
inline std::string Hex(std::string_view spaced) {
  std::string digits, out;
  for (char c : spaced) {
    if (c != ' ') digits += c;
  }
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  }
  return out;
}

// A text with its one-byte length prefix (texts shorter than 255 bytes).
inline std::string ShortText(std::string_view s) {
  return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

// An ID3v1 tag alone, 128 bytes, built field by field.
struct TagBytes {
  std::string bytes = "TAG" + std::string(125, '\0');
  TagBytes& Put(size_t offset, const std::string& text) {
    bytes.replace(offset, text.size(), text);
    return *this;
  }
  TagBytes& Byte(size_t offset, unsigned char value) {
    bytes[offset] = static_cast<char>(value);
    return *this;
  }
};
