// Keys typed right behind the hot key, before the launcher can take them.
//
// A key goes to the window in front when it is typed. A user who presses
// Ctrl+Alt+R and types at once sends the first letters while the launcher
// is still being made: they would go to the program the user was in, or
// nowhere. A low-level keyboard hook, on a thread of its own that does
// nothing else, sees the hot key go down; from then on it takes every key
// out of the input and keeps it, in order, until the launcher is on the
// screen with the keyboard in its query box, then sends them all again at
// once. They reach the launcher as if typed there; later keys follow them.
//
// The hook never makes the system wait: each key is kept or let by at once.
// Nothing typed is lost: kept keys go out again after kMaxHoldMs at the
// latest, to whatever window is in front then. The hook thread touches no
// window; the user interface thread tells it through its message queue.
#pragma once

#include <windows.h>

#include <thread>
#include <vector>

class CTypeAheadHold {
 public:
  static constexpr UINT kMaxHoldMs = 1000;

  CTypeAheadHold() = default;
  ~CTypeAheadHold();
  CTypeAheadHold(const CTypeAheadHold&) = delete;
  CTypeAheadHold& operator=(const CTypeAheadHold&) = delete;

  // Watches for `virtualKey` going down with exactly the `modifiers`
  // (MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN) of the hot key. One at a time
  // in a process; false when the hook could not be set.
  bool Start(UINT modifiers, UINT virtualKey);
  // The keys have a place to go (the launcher can take them, or the hot key
  // brought another window forward): the kept keys go out again.
  void Release();

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  // True when the key is kept (taken out of the input).
  bool OnKey(const KBDLLHOOKSTRUCT& key);
  bool ModifiersMatch() const;
  // The hold is over (released, or `timedOut`): sends the kept keys, or
  // ends the hold once every key sent came back through the hook and
  // nothing more was kept.
  void SendKept(bool timedOut);
  void Run(HANDLE started);

  UINT m_modifiers = 0;
  UINT m_virtualKey = 0;
  std::thread m_thread;
  DWORD m_threadId = 0;
  HHOOK m_hook = nullptr;
  // On the hook thread only.
  bool m_holding = false;
  UINT_PTR m_holdTimer = 0;
  std::vector<INPUT> m_kept;
  // Keys sent again that have not come back through the hook yet: keys
  // typed meanwhile are kept, to go out after them.
  size_t m_sending = 0;
  static inline CTypeAheadHold* s_current = nullptr;
};
