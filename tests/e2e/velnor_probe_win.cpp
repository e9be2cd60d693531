// velnor_probe: looks at (and pokes) a running velnor.exe from outside, for
// the end-to-end scripts. Each command answers with its exit status (0 yes,
// 1 no, 2 usage) and one line on stdout.
//
//   find-frame            the hidden main frame exists (prints "hidden" or "visible")
//   tray-exists           the frame's tray icon (id 0) is in the notification area
//   hotkey-free           Ctrl+Alt+R can be registered (the frame holds it otherwise)
//   menu-open             a popup menu is open (prints its screen rectangle)
//   dialog CAPTION        a dialog window with this caption exists (prints
//                         "hidden", "visible" or "foreground")
//   foreground            prints the foreground window's class
//   frames                prints how many main frames exist (any copy)
//   progress CAPTION      prints the position and the end of the progress bar
//                         of the dialog with this caption
//   post-tray-rbutton     posts the tray callback "right button down" to the frame
//   post-command ID       posts WM_COMMAND ID to the frame
//   record-open FILE ARG  appends ARG and a line end to FILE (an "open" handler)
//   others-running        another probe process (either build) is still running
//
// Built twice: velnor_probe.exe, a console program whose answers a script can
// read, and velnor_probe_w.exe, a window-subsystem build for record-open. An
// "open" handler must not be a console program: Wine gives it a console of
// its own, and that steals the foreground from the program under test.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "framework/wide_text_win.h"

namespace {

constexpr wchar_t kFrameClass[] = L"PlovantVelnorTrayFrame";
constexpr wchar_t kFrameTitle[] = L"Plovant Velnor";
constexpr UINT kTrayCallback = WM_USER + 1;

int Answer(bool yes, const char* text) {
  std::printf("%s\n", text);
  return yes ? 0 : 1;
}

HWND Frame() { return FindWindowW(kFrameClass, kFrameTitle); }

int FindFrame() {
  const HWND frame = Frame();
  if (!frame) return Answer(false, "absent");
  return Answer(true, IsWindowVisible(frame) ? "visible" : "hidden");
}

int TrayExists() {
  const HWND frame = Frame();
  if (!frame) return Answer(false, "no frame");
  // Changing the tip of an icon the shell does not show fails.
  NOTIFYICONDATAW nid = {};
  nid.cbSize = sizeof(nid);
  nid.hWnd = frame;
  nid.uID = 0;
  nid.uFlags = NIF_TIP;
  wcscpy(nid.szTip, L"Plovant Velnor [CTRL-ALT-R]");
  return Answer(Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE, "tray icon");
}

int HotKeyFree() {
  if (!RegisterHotKey(nullptr, 0x5EED, MOD_CONTROL | MOD_ALT, 'R')) return Answer(false, "taken");
  UnregisterHotKey(nullptr, 0x5EED);
  return Answer(true, "free");
}

int MenuOpen() {
  const HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return Answer(false, "closed");
  RECT r = {};
  GetWindowRect(menu, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return 0;
}

int Dialog(const wchar_t* caption) {
  const HWND dialog = FindWindowW(L"#32770", caption);
  if (!dialog) return Answer(false, "absent");
  if (!IsWindowVisible(dialog)) return Answer(true, "hidden");
  return Answer(true, GetForegroundWindow() == dialog ? "foreground" : "visible");
}

int Frames() {
  int count = 0;
  for (HWND w = FindWindowW(kFrameClass, kFrameTitle); w;
       w = FindWindowExW(nullptr, w, kFrameClass, kFrameTitle)) {
    ++count;
  }
  std::printf("%d\n", count);
  return count > 0 ? 0 : 1;
}

int Progress(const wchar_t* caption) {
  const HWND dialog = FindWindowW(L"#32770", caption);
  const HWND bar = dialog ? FindWindowExW(dialog, nullptr, L"msctls_progress32", nullptr) : nullptr;
  if (!bar) return Answer(false, "absent");
  // Plain values only: the bar lives in another process.
  const LRESULT position = SendMessageW(bar, 0x0408 /* PBM_GETPOS */, 0, 0);
  const LRESULT high = SendMessageW(bar, 0x0407 /* PBM_GETRANGE */, FALSE, 0);
  std::printf("%ld %ld\n", static_cast<long>(position), static_cast<long>(high));
  return 0;
}

int Foreground() {
  const HWND fg = GetForegroundWindow();
  wchar_t cls[128] = L"";
  if (fg) GetClassNameW(fg, cls, 128);
  std::printf("%s%s\n", WideToUtf8(cls).c_str(), fg && fg == Frame() ? " (frame)" : "");
  return fg ? 0 : 1;
}

int PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND frame = Frame();
  if (!frame) return Answer(false, "no frame");
  return Answer(PostMessageW(frame, message, wParam, lParam) != FALSE, "posted");
}

int RecordOpen(const wchar_t* file, const wchar_t* arg) {
  const std::string line = WideToUtf8(arg) + "\n";
  const HANDLE h = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Answer(false, "cannot open the record file");
  DWORD written = 0;
  const bool ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                  written == line.size();
  CloseHandle(h);
  return Answer(ok, "recorded");
}

int OthersRunning() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return Answer(false, "no snapshot");
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  int others = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsnicmp(entry.szExeFile, L"velnor_probe", 12) == 0 &&
        entry.th32ProcessID != GetCurrentProcessId()) {
      ++others;
    }
  }
  CloseHandle(snapshot);
  std::printf("%d\n", others);
  return others > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"find-frame") return FindFrame();
  if (command == L"tray-exists") return TrayExists();
  if (command == L"hotkey-free") return HotKeyFree();
  if (command == L"menu-open") return MenuOpen();
  if (command == L"foreground") return Foreground();
  if (command == L"dialog" && argc > 2) return Dialog(argv[2]);
  if (command == L"frames") return Frames();
  if (command == L"progress" && argc > 2) return Progress(argv[2]);
  if (command == L"post-tray-rbutton") return PostToFrame(kTrayCallback, 0, WM_RBUTTONDOWN);
  if (command == L"post-command" && argc > 2) {
    return PostToFrame(WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0);
  }
  if (command == L"record-open" && argc > 3) return RecordOpen(argv[2], argv[3]);
  if (command == L"others-running") return OthersRunning();
  std::fprintf(stderr, "usage: velnor_probe find-frame|tray-exists|hotkey-free|menu-open|dialog CAPTION|"
                       "foreground|frames|progress CAPTION|post-tray-rbutton|post-command ID|record-open FILE ARG|others-running\n");
  return 2;
}
