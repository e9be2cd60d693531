#include "launcher/query_edit_win.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 0x5145;  // one subclass per box
}

CQueryEdit::~CQueryEdit() { Detach(); }

bool CQueryEdit::Attach(HWND edit, HWND list, std::function<void()> filter) {
  Detach();
  if (!edit || !SetWindowSubclass(edit, &CQueryEdit::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  m_hWnd = edit;
  m_list = list;
  m_filter = std::move(filter);
  return true;
}

void CQueryEdit::Detach() {
  if (!m_hWnd) return;
  KillTimer(m_hWnd, kTypingTimer);
  RemoveWindowSubclass(m_hWnd, &CQueryEdit::SubclassProc, kSubclassId);
  m_hWnd = nullptr;
  m_list = nullptr;
  m_filter = nullptr;
}

void CQueryEdit::OnTextChanged() {
  // Setting a running timer again restarts its count.
  if (m_hWnd) SetTimer(m_hWnd, kTypingTimer, kTypingDelayMs, nullptr);
}

bool CQueryEdit::IsNavigationKey(WPARAM vk) {
  return (vk >= VK_PRIOR && vk <= VK_HOME) || vk == VK_UP || vk == VK_DOWN;
}

LRESULT CALLBACK CQueryEdit::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
  CQueryEdit* edit = reinterpret_cast<CQueryEdit*>(self);
  if (message == WM_NCDESTROY) {
    edit->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  // Nothing may unwind through the system's window procedure.
  try {
    return edit->OnMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CQueryEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = m_hWnd;
  switch (message) {
    case WM_TIMER:
      KillTimer(hwnd, kTypingTimer);
      if (m_filter) m_filter();
      break;
    case WM_KEYDOWN:
      if (IsNavigationKey(wParam) && m_list) {
        SendMessageW(m_list, WM_KEYDOWN, wParam, lParam);
        return 0;
      }
      break;
    case WM_SYSCHAR:
      if (m_onAltKey && m_onAltKey(wParam)) return 0;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
