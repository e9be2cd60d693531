// Times a running launcher from outside, for bench/wine/launcher_open.sh:
//   time-open ROWS      posts Ctrl+Alt+R to the tray frame and prints the
//                       milliseconds until a launcher shows with ROWS rows
//   time-filter TEXT    puts TEXT into the query box and prints the
//                       milliseconds until the row count changes, and the
//                       new count (the typing delay included)
// Exit status 0 when the answer is there, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND LauncherControl(const wchar_t* cls) {
  const HWND launcher = FindWindowW(L"#32770", L"Plovant Velnor");
  if (!launcher || !IsWindowVisible(launcher)) return nullptr;
  return FindWindowExW(launcher, nullptr, cls, nullptr);
}

long RowCount(HWND list) { return list ? static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1; }

// Polls `done` until it holds (prints the milliseconds since the start) or
// 30 seconds pass.
template <typename Done>
int Time(Done done) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (;;) {
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    if (done()) {
      std::printf("%.1f ms", ms);
      return 0;
    }
    if (ms > 30000) {
      std::printf("timed out");
      return 1;
    }
    Sleep(0);
  }
}

int TimeOpen(long rows) {
  const HWND frame = FindWindowW(L"PlovantVelnorTrayFrame", nullptr);
  if (!frame) {
    std::printf("no frame\n");
    return 1;
  }
  PostMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  const int rc = Time([rows] { return RowCount(LauncherControl(WC_LISTVIEWW)) >= rows; });
  std::printf("\n");
  return rc;
}

int TimeFilter(const wchar_t* text) {
  const HWND box = LauncherControl(L"Edit");
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!box || !list) {
    std::printf("no launcher\n");
    return 1;
  }
  const long before = RowCount(list);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  const int rc = Time([&] { return RowCount(list) != before; });
  std::printf(", %ld rows\n", RowCount(list));
  return rc;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 2 && std::wcscmp(argv[1], L"time-open") == 0) return TimeOpen(std::wcstol(argv[2], nullptr, 10));
  if (argc > 2 && std::wcscmp(argv[1], L"time-filter") == 0) return TimeFilter(argv[2]);
  std::fprintf(stderr, "usage: velnor_launcher_timing time-open ROWS|time-filter TEXT\n");
  return 2;
}
