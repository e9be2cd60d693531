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
  m_pending = false;
}

void CQueryEdit::OnTextChanged() {
  if (!GetSafeHwnd()) return;
  m_pending = true;
  // Setting a running timer again restarts its count.
  SetTimer(GetSafeHwnd(), kTypingTimer, kTypingDelayMs, nullptr);
}

void CQueryEdit::ApplyPendingQuery() {
  if (!m_pending) return;
  m_pending = false;
  KillTimer(GetSafeHwnd(), kTypingTimer);
  if (m_filter) m_filter();
}

bool CQueryEdit::IsNavigationKey(WPARAM vk) {
  return (vk >= VK_PRIOR && vk <= VK_HOME) || vk == VK_UP || vk == VK_DOWN;
}

LRESULT CQueryEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      // The edit control's own timers (its scrolling while text is selected
      // with the mouse) share the id: only a waiting change runs the filter.
      if (wParam == kTypingTimer) ApplyPendingQuery();
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
