// The launcher's query box: an edit control that waits for a pause in the
// typing before the list is filtered, and hands the navigation keys to the
// result list so that a row can be chosen without leaving the box. What acts
// on the list's selection from the keyboard first applies a query still
// waiting for its pause, so it acts on the rows of the text as typed.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/control_win.h"

class CQueryEdit : public CControl {
 public:
  static constexpr UINT_PTR kTypingTimer = 0;
  static constexpr UINT kTypingDelayMs = 400;

  CQueryEdit() = default;
  ~CQueryEdit() override;

  // Takes over the edit control `edit`. `filter` runs once the typing has
  // paused; `list` receives the navigation keys.
  bool Attach(HWND edit, HWND list, std::function<void()> filter);
  void Detach();

  // The box's text changed (its change notification, passed on by the
  // dialog): the wait for a pause starts again.
  void OnTextChanged();
  // Runs the filter now when a change still waits for its pause, and ends
  // the wait; nothing otherwise.
  void ApplyPendingQuery();

  // The keys that move the list's selection rather than the caret.
  static bool IsNavigationKey(WPARAM vk);

  // Alt plus a character typed in the box; true when it was a command.
  std::function<bool(WPARAM)> m_onAltKey;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND m_list = nullptr;
  std::function<void()> m_filter;
  // A change whose filter run has not happened yet.
  bool m_pending = false;
};
