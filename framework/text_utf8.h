// UTF-8 is the program's text inside; these helpers guard the edges where
// older or foreign bytes come in.
#pragma once

#include <string>
#include <string_view>

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// UTF-16 for text that leaves the program as bytes rather than through a
// Win32 call (a file-drop block), so it must not depend on the platform's
// wchar_t. A byte that is not UTF-8 becomes U+FFFD, as in Windows' own
// conversion.
std::u16string Utf8ToUtf16(std::string_view text);

// Converts text in the system's legacy ANSI code page to UTF-8. On Windows
// that is the system default ANSI code page; elsewhere Windows-1252.
std::string LegacyToUtf8(std::string_view text);

// Texts stored by older builds are ANSI; texts stored now are UTF-8. Valid
// UTF-8 is taken as it is, anything else is converted from the legacy page.
std::string StoredTextToUtf8(std::string_view bytes);
// Whether StoredTextToUtf8 would give the bytes back unchanged.
bool IsStoredAsUtf8(std::string_view bytes);

// Latin-1 (ISO-8859-1) to UTF-8: every byte is its own code point.
std::string Latin1ToUtf8(std::string_view text);

// Appends the UTF-8 form of one code point (which must be valid).
void AppendUtf8(std::string& out, char32_t cp);

// Reads the multi-byte sequence at `i`, advancing past it. False, with `i`
// unchanged, for an ASCII byte or a byte that does not start a sequence; the
// folding copies such a byte as it is.
bool DecodeUtf8At(std::string_view text, size_t& i, char32_t& cp);
