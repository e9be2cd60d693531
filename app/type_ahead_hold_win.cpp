#include "app/type_ahead_hold_win.h"

#include "framework/exception_barrier.h"
#include "framework/win_handles.h"

namespace {

// To the hook thread: the kept keys may go.
constexpr UINT kReleaseMessage = WM_APP;
// Marks the keys sent again, so that the hook lets them by.
constexpr ULONG_PTR kSentAgain = 0x56454C4E;  // "VELN"

bool Held(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

INPUT AsInput(const KBDLLHOOKSTRUCT& key) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.dwExtraInfo = kSentAgain;
  if (key.flags & LLKHF_UP) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  if (key.flags & LLKHF_EXTENDED) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  input.ki.wScan = static_cast<WORD>(key.scanCode);
  if (key.vkCode == VK_PACKET) {
    // A character sent by another program: its scan code is the character.
    input.ki.dwFlags |= KEYEVENTF_UNICODE;
  } else {
    input.ki.wVk = static_cast<WORD>(key.vkCode);
  }
  return input;
}

}  // namespace

CTypeAheadHold::~CTypeAheadHold() {
  if (!m_thread.joinable()) return;
  PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
  m_thread.join();
  s_current = nullptr;
}

bool CTypeAheadHold::Start(UINT modifiers, UINT virtualKey) {
  if (m_thread.joinable() || s_current) return false;
  m_modifiers = modifiers;
  m_virtualKey = virtualKey;
  const KernelHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!started) return false;
  s_current = this;
  m_thread = std::thread([this, handle = started.Get()] { Run(handle); });
  WaitForSingleObject(started.Get(), INFINITE);
  if (m_hook) return true;
  m_thread.join();
  s_current = nullptr;
  return false;
}

void CTypeAheadHold::Release() {
  if (m_hook) PostThreadMessageW(m_threadId, kReleaseMessage, 0, 0);
}

void CTypeAheadHold::Run(HANDLE started) {
  m_threadId = GetCurrentThreadId();
  // The queue exists before anyone may post to it.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  m_hook = SetWindowsHookExW(WH_KEYBOARD_LL, &CTypeAheadHold::HookProc, GetModuleHandleW(nullptr), 0);
  SetEvent(started);
  if (!m_hook) return;
  // The system calls the hook from within this loop.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd != nullptr) continue;
    if (msg.message == kReleaseMessage) SendKept(false);
    if (msg.message == WM_TIMER && msg.wParam == m_holdTimer) SendKept(true);
  }
  UnhookWindowsHookEx(m_hook);
  // Whatever is still kept goes out, to whichever window is in front.
  if (!m_kept.empty()) SendInput(static_cast<UINT>(m_kept.size()), m_kept.data(), sizeof(INPUT));
}

LRESULT CALLBACK CTypeAheadHold::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  // A key that cannot be kept (no memory) goes by.
  const bool kept = CallWithoutUnwinding(
      [&] {
        return code == HC_ACTION && s_current && s_current->OnKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
      },
      [] { return false; });
  return kept ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

bool CTypeAheadHold::OnKey(const KBDLLHOOKSTRUCT& key) {
  if (key.dwExtraInfo == kSentAgain) {
    if (m_sending > 0 && --m_sending == 0) PostThreadMessageW(m_threadId, kReleaseMessage, 0, 0);
    return false;
  }
  if (m_holding) {
    m_kept.push_back(AsInput(key));
    return true;
  }
  const bool down = (key.flags & LLKHF_UP) == 0;
  if (down && key.vkCode == m_virtualKey && ModifiersMatch()) {
    // The hot key itself goes on: it is what opens the launcher.
    m_holding = true;
    m_holdTimer = SetTimer(nullptr, 0, kMaxHoldMs, nullptr);
  }
  return false;
}

void CTypeAheadHold::SendKept(bool timedOut) {
  if (!m_holding) return;
  // Keys sent again that never came back (a hook before this one took
  // them) must not keep the hold for good.
  if (timedOut) m_sending = 0;
  if (m_sending > 0) return;  // what is kept meanwhile goes when they are back
  if (m_holdTimer) KillTimer(nullptr, m_holdTimer);
  m_holdTimer = 0;
  if (m_kept.empty()) {
    m_holding = false;
    return;
  }
  std::vector<INPUT> keys;
  keys.swap(m_kept);
  m_sending = keys.size();
  // In one call: nothing typed meanwhile comes between them.
  if (SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) != keys.size()) {
    // Refused (a desktop the program may not send to): nothing comes back.
    m_sending = 0;
    m_holding = false;
    return;
  }
  m_holdTimer = SetTimer(nullptr, 0, kMaxHoldMs, nullptr);
}

bool CTypeAheadHold::ModifiersMatch() const {
  const auto wanted = [this](UINT modifier) { return (m_modifiers & modifier) != 0; };
  return Held(VK_CONTROL) == wanted(MOD_CONTROL) && Held(VK_MENU) == wanted(MOD_ALT) &&
         Held(VK_SHIFT) == wanted(MOD_SHIFT) && (Held(VK_LWIN) || Held(VK_RWIN)) == wanted(MOD_WIN);
}
