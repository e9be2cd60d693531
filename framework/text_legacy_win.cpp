// Older databases hold texts in the system's ANSI code page. The program
// itself runs with UTF-8 as its active code page, so GetACP() would answer
// 65001; ask the system locale for its default ANSI page instead. By its
// LCID: Wine 8 refuses LOCALE_NAME_SYSTEM_DEFAULT (ERROR_INVALID_PARAMETER),
// and every system would then read as Windows-1252.
#include <windows.h>

#include "framework/text_utf8.h"
#include "framework/wide_text_win.h"

namespace {

UINT SystemAnsiCodePage() {
  static const UINT page = [] {
    DWORD value = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&value), sizeof(value) / sizeof(WCHAR)) == 0 ||
        value == 0 || value == CP_UTF8) {
      return static_cast<UINT>(1252);
    }
    return static_cast<UINT>(value);
  }();
  return page;
}

}  // namespace

std::string LegacyToUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  const UINT page = SystemAnsiCodePage();
  const int n = MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return Latin1ToUtf8(text);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return WideToUtf8(wide);
}
