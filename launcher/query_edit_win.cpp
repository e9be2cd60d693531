#include "launcher/query_edit_win.h"

CQueryEdit::~CQueryEdit() { Detach(); }

bool CQueryEdit::Attach(HWND edit, HWND list, std::function<void()> filter) {
  Detach();
  if (!CControl::Attach(edit)) return false;
  m_list = list;
  m_filter = std::move(filter);
  return true;
}

void CQueryEdit::Detach() {
  if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kTypingTimer);
  CControl::Detach();
  m_list = nullptr;
  m_filter = nullptr;
}

void CQueryEdit::OnTextChanged() {
  // Setting a running timer again restarts its count.
  if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kTypingTimer, kTypingDelayMs, nullptr);
}

bool CQueryEdit::IsNavigationKey(WPARAM vk) {
  return (vk >= VK_PRIOR && vk <= VK_HOME) || vk == VK_UP || vk == VK_DOWN;
}

LRESULT CQueryEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      KillTimer(GetSafeHwnd(), kTypingTimer);
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
  return Default(message, wParam, lParam);
}
