#include <windows.h>

#include <algorithm>

#include "cli/console.h"
#include "framework/wide_text_win.h"

namespace {

// A console shows UTF-16 whatever its code page; a pipe or a file gets the
// UTF-8 bytes unchanged, so output redirected on Windows equals Linux's.
bool WriteHandle(DWORD which, std::string_view text) {
  const HANDLE h = GetStdHandle(which);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
  DWORD mode;
  if (GetConsoleMode(h, &mode)) {
    const std::wstring wide = Utf8ToWide(text);
    size_t done = 0;
    while (done < wide.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(h, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(h, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool ReadConsoleText(HANDLE h, std::string& text) {
  // Typed input ends with Ctrl+Z, as for every console program.
  std::wstring wide;
  wchar_t buf[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadConsoleW(h, buf, static_cast<DWORD>(std::size(buf)), &got, nullptr)) return false;
    if (got == 0) break;
    const std::wstring_view chunk(buf, got);
    const size_t eof = chunk.find(L'\x1A');
    wide.append(chunk.substr(0, eof));
    if (eof != std::wstring_view::npos) break;
  }
  text = WideToUtf8(wide);
  return true;
}

class Win32Console final : public Console {
 public:
  bool Out(std::string_view text) override { return WriteHandle(STD_OUTPUT_HANDLE, text); }

  void Err(std::string_view text) override { WriteHandle(STD_ERROR_HANDLE, text); }

  bool ReadIn(std::string& text) override {
    text.clear();
    const HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
    DWORD mode;
    if (GetConsoleMode(h, &mode)) return ReadConsoleText(h, text);
    char buf[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) {
        // The writer closing its end of a pipe is the normal end of input.
        return GetLastError() == ERROR_BROKEN_PIPE;
      }
      if (got == 0) return true;
      text.append(buf, got);
    }
  }
};

}  // namespace

Console& StandardConsole() {
  static Win32Console console;
  return console;
}
