// The one pair of conversions between the program's UTF-8 and the UTF-16 of
// every Win32 call.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
