// The end-to-end scripts' look into a running launcher, from outside:
//   rows                  prints the number of rows of the open launcher
//   query-box             prints the middle of the query box (x y)
//   time-filter TEXT      puts TEXT into the query box and prints the
//                         milliseconds until the row count changes, and the
//                         new count
//   focus                 prints the classes of the focused and the active
//                         window of the foreground thread
//   time-open ROWS        posts Ctrl+Alt+R to the tray frame and prints the
//                         milliseconds until a launcher shows with ROWS rows
// Exit status 0 when the answer is there, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t kLauncherCaption[] = L"Plovant Velnor";

HWND LauncherList() {
  const HWND launcher = FindWindowW(L"#32770", kLauncherCaption);
  if (!launcher || !IsWindowVisible(launcher)) return nullptr;
  return FindWindowExW(launcher, nullptr, L"SysListView32", nullptr);
}

int Rows() {
  const HWND list = LauncherList();
  if (!list) {
    std::printf("no launcher\n");
    return 1;
  }
  std::printf("%ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  return 0;
}

int TimeOpen(long rows) {
  const HWND frame = FindWindowW(L"PlovantVelnorTrayFrame", nullptr);
  if (!frame) {
    std::printf("no frame\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  PostMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  for (;;) {
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    const HWND list = LauncherList();
    if (list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= rows) {
      std::printf("%.1f ms\n", ms);
      return 0;
    }
    if (ms > 30000) {
      std::printf("timed out\n");
      return 1;
    }
    Sleep(0);
  }
}

// Puts TEXT into the query box and prints the milliseconds until the list's
// row count changes (the typing delay included).
int TimeFilter(const wchar_t* text) {
  const HWND launcher = FindWindowW(L"#32770", kLauncherCaption);
  const HWND box = launcher ? FindWindowExW(launcher, nullptr, L"Edit", nullptr) : nullptr;
  const HWND list = LauncherList();
  if (!box || !list) {
    std::printf("no launcher\n");
    return 1;
  }
  const LRESULT before = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  for (;;) {
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    const LRESULT rows = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    if (rows != before) {
      std::printf("%.1f ms, %ld rows\n", ms, static_cast<long>(rows));
      return 0;
    }
    if (ms > 30000) {
      std::printf("timed out\n");
      return 1;
    }
    Sleep(0);
  }
}

// The middle of the launcher's query box, in desktop coordinates.
int QueryBox() {
  const HWND launcher = FindWindowW(L"#32770", kLauncherCaption);
  const HWND box = launcher ? FindWindowExW(launcher, nullptr, L"Edit", nullptr) : nullptr;
  if (!box || !IsWindowVisible(launcher)) {
    std::printf("no launcher\n");
    return 1;
  }
  RECT r = {};
  GetWindowRect(box, &r);
  std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}

// Which window of the foreground thread has the keyboard focus.
int Focus() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(0, &info)) {
    std::printf("no foreground thread\n");
    return 1;
  }
  wchar_t focus[64] = L"(none)", active[64] = L"(none)";
  if (info.hwndFocus) GetClassNameW(info.hwndFocus, focus, 63);
  if (info.hwndActive) GetClassNameW(info.hwndActive, active, 63);
  std::printf("%ls in %ls\n", focus, active);
  return info.hwndFocus ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"rows") == 0) return Rows();
  if (argc > 1 && std::wcscmp(argv[1], L"focus") == 0) return Focus();
  if (argc > 1 && std::wcscmp(argv[1], L"query-box") == 0) return QueryBox();
  if (argc > 2 && std::wcscmp(argv[1], L"time-filter") == 0) return TimeFilter(argv[2]);
  if (argc > 2 && std::wcscmp(argv[1], L"time-open") == 0) return TimeOpen(std::wcstol(argv[2], nullptr, 10));
  std::fprintf(stderr, "usage: velnor_launcher_probe rows|query-box|focus|time-open ROWS|time-filter TEXT\n");
  return 2;
}
