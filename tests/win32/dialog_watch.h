// Watches the dialog windows of this thread: their captions and whether
// they were ever shown, also for windows that are gone by the time a test
// looks.
#pragma once

#include <windows.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

class DialogWatch {
 public:
  struct Seen {
    std::wstring caption;
    bool shown = false;
  };

  DialogWatch() {
    s_current = this;
    m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &DialogWatch::Hook, nullptr, GetCurrentThreadId());
  }
  ~DialogWatch() {
    if (m_hook) UnhookWindowsHookEx(m_hook);
    s_current = nullptr;
  }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  bool Installed() const { return m_hook != nullptr; }

  // How many dialogs were titled `caption`, and how many of those were shown.
  int CountTitled(const std::wstring& caption, bool shownOnly = false) const {
    int n = 0;
    for (const Seen& seen : m_seen) {
      if (seen.caption == caption && (!shownOnly || seen.shown)) ++n;
    }
    return n;
  }

 private:
  static bool IsDialog(HWND hwnd) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 15);
    return wcscmp(cls, L"#32770") == 0;
  }

  Seen& Live(HWND hwnd) {
    auto it = m_live.find(hwnd);
    if (it == m_live.end()) {
      m_seen.emplace_back();
      it = m_live.emplace(hwnd, m_seen.size() - 1).first;
    }
    return m_seen[it->second];
  }

  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && s_current) {
      const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
      if (msg->message == WM_SETTEXT && msg->lParam && IsDialog(msg->hwnd)) {
        s_current->Live(msg->hwnd).caption = reinterpret_cast<const wchar_t*>(msg->lParam);
      } else if (msg->message == WM_SHOWWINDOW && msg->wParam && IsDialog(msg->hwnd)) {
        s_current->Live(msg->hwnd).shown = true;
      } else if (msg->message == WM_NCDESTROY) {
        // A later window may get the same handle.
        s_current->m_live.erase(msg->hwnd);
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline DialogWatch* s_current = nullptr;
  HHOOK m_hook = nullptr;
  std::vector<Seen> m_seen;
  std::map<HWND, size_t> m_live;
};
