// Without Windows there is no system ANSI code page to ask; Windows-1252 is
// what the older Western builds wrote.
#include "framework/text_utf8.h"

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes map to the C1 control
// of the same value, as the Windows converter does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string LegacyToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) {
    const char32_t cp = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
    AppendUtf8(out, cp);
  }
  return out;
}
