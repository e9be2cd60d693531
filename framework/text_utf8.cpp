#include "framework/text_utf8.h"

#include <cstdint>

namespace {

// Reads one strictly formed code point at `p` and moves past it; leaves `p`
// where it was when the bytes there are not one.
bool DecodeStrict(const unsigned char*& p, const unsigned char* end, char32_t& cp) {
  const unsigned char c = *p;
  if (c < 0x80) {
    cp = c;
    ++p;
    return true;
  }
  size_t extra;
  char32_t value;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    extra = 1; value = c & 0x1F; min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2; value = c & 0x0F; min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3; value = c & 0x07; min = 0x10000;
  } else {
    return false;
  }
  if (static_cast<size_t>(end - p) <= extra) return false;
  for (size_t i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return false;
    value = (value << 6) | (p[i] & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  cp = value;
  p += extra + 1;
  return true;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  char32_t cp;
  while (p < end) {
    if (!DecodeStrict(p, end, cp)) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    char32_t cp;
    if (!DecodeStrict(p, end, cp)) {
      cp = 0xFFFD;
      ++p;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) AppendUtf8(out, c);
  return out;
}

bool IsStoredAsUtf8(std::string_view bytes) {
  // Nearly every stored text is plain ASCII; skip the validator for it.
  for (unsigned char c : bytes) {
    if (c >= 0x80) return IsValidUtf8(bytes);
  }
  return true;
}

std::string StoredTextToUtf8(std::string_view bytes) {
  return IsStoredAsUtf8(bytes) ? std::string(bytes) : LegacyToUtf8(bytes);
}

bool DecodeUtf8At(std::string_view text, size_t& i, char32_t& cp) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char c = p[i];
  size_t extra;
  if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
  else return false;
  if (i + extra >= text.size()) return false;
  for (size_t k = 1; k <= extra; ++k) {
    if ((p[i + k] & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (p[i + k] & 0x3F);
  }
  i += extra + 1;
  return true;
}
