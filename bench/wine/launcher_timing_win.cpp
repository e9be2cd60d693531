// Times a running launcher from outside, for bench/wine/launcher_open.sh:
//   time-open ROWS      posts Ctrl+Alt+R to the tray frame and prints the
//                       milliseconds until a launcher shows with ROWS rows
//                       or more, and how many
//   time-filter TEXT    puts TEXT into the query box and prints the
//                       milliseconds until the row count changes, and the
//                       new count (the typing delay included)
//   time-paint N        repaints the launcher's list N times and prints the
//                       milliseconds per repaint
//   time-scroll N       pages the list down N times from the top, each page
//                       drawn before the next, and prints the milliseconds
//                       per page (rows new on screen are converted and
//                       compacted as they come)
//   memory              prints the program's private bytes and working set
//                       as the system reports them
// Exit status 0 when the answer is there, 1 otherwise.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>

#include "framework/win_handles.h"

namespace {

HWND LauncherControl(const wchar_t* cls) {
  const HWND launcher = FindWindowW(L"#32770", L"Plovant Velnor");
  if (!launcher || !IsWindowVisible(launcher)) return nullptr;
  return FindWindowExW(launcher, nullptr, cls, nullptr);
}

HWND Frame() { return FindWindowW(L"PlovantVelnorTrayFrame", nullptr); }

long RowCount(HWND list) { return list ? static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1; }

double Now() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls `done` until it holds (prints the milliseconds since the start) or
// two minutes pass.
template <typename Done>
int Time(Done done) {
  const double start = Now();
  for (;;) {
    const double ms = Now() - start;
    if (done()) {
      std::printf("%.1f ms", ms);
      return 0;
    }
    if (ms > 120000) {
      std::printf("timed out");
      return 1;
    }
    Sleep(0);
  }
}

int TimeOpen(long rows) {
  const HWND frame = Frame();
  if (!frame) {
    std::printf("no frame\n");
    return 1;
  }
  PostMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  const int rc = Time([rows] { return RowCount(LauncherControl(WC_LISTVIEWW)) >= rows; });
  std::printf(", %ld rows\n", RowCount(LauncherControl(WC_LISTVIEWW)));
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

// Another process's window painted now: the paint message is sent, so this
// returns once the list has drawn.
void PaintNow(HWND list) { RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW); }

int TimePaint(int times) {
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!list || times <= 0) {
    std::printf("no launcher\n");
    return 1;
  }
  const double start = Now();
  for (int i = 0; i < times; ++i) {
    InvalidateRect(list, nullptr, FALSE);
    PaintNow(list);
  }
  std::printf("%.2f ms per repaint of %ld visible rows\n", (Now() - start) / times,
              static_cast<long>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)));
  return 0;
}

int TimeScroll(int pages) {
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!list || pages <= 0) {
    std::printf("no launcher\n");
    return 1;
  }
  SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
  PaintNow(list);
  const double start = Now();
  for (int i = 0; i < pages; ++i) {
    SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    PaintNow(list);
  }
  std::printf("%.2f ms per page of %ld rows\n", (Now() - start) / pages,
              static_cast<long>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)));
  return 0;
}

int Memory() {
  DWORD pid = 0;
  const HWND frame = Frame();
  if (frame) GetWindowThreadProcessId(frame, &pid);
  const KernelHandle process(pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr);
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (!process || !GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                        sizeof(counters))) {
    std::printf("no memory figures for the program\n");
    return 1;
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  std::printf("private %.1f MiB, working set %.1f MiB (peak %.1f MiB)\n", counters.PrivateUsage / kMiB,
              counters.WorkingSetSize / kMiB, counters.PeakWorkingSetSize / kMiB);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 2 && std::wcscmp(argv[1], L"time-open") == 0) return TimeOpen(std::wcstol(argv[2], nullptr, 10));
  if (argc > 2 && std::wcscmp(argv[1], L"time-filter") == 0) return TimeFilter(argv[2]);
  if (argc > 2 && std::wcscmp(argv[1], L"time-paint") == 0) return TimePaint(_wtoi(argv[2]));
  if (argc > 2 && std::wcscmp(argv[1], L"time-scroll") == 0) return TimeScroll(_wtoi(argv[2]));
  if (argc > 1 && std::wcscmp(argv[1], L"memory") == 0) return Memory();
  std::fprintf(stderr,
               "usage: velnor_launcher_timing time-open ROWS|time-filter TEXT|time-paint N|time-scroll N|memory\n");
  return 2;
}
