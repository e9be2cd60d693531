#include "framework/message_pump_win.h"

#include <windows.h>

#include <cwchar>

namespace {

bool IsDialogWindow(HWND window) {
  wchar_t className[8] = {};
  return window && GetClassNameW(window, className, 8) > 0 && std::wcscmp(className, L"#32770") == 0;
}

// The dialog whose keys the user is typing: the top-level dialog that holds
// the keyboard focus, or else the active window when it is a dialog.
HWND KeyboardDialog() {
  if (const HWND focus = GetFocus()) {
    const HWND top = GetAncestor(focus, GA_ROOT);
    if (IsDialogWindow(top)) return top;
  }
  const HWND active = GetActiveWindow();
  return IsDialogWindow(active) ? active : nullptr;
}

// A modal dialog's own loop gives Tab, Enter and Escape to the dialog; a
// pump nested inside that loop (a refresh started from the tray while a
// dialog is open) must do the same, or those keys die in the dialog until
// the pump returns.
bool PreTranslate(MSG& msg) {
  const HWND dialog = KeyboardDialog();
  return dialog && IsDialogMessageW(dialog, &msg);
}

void Dispatch(MSG& msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}
