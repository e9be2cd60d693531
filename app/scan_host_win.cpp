#include "app/scan_host_win.h"

#include <windows.h>

#include <utility>

#include "database/refresh_dlg_win.h"
#include "framework/message_pump_win.h"

CWin32ScanHost::CWin32ScanHost(std::function<uint64_t()> tickCount)
    : m_tickCount(tickCount ? std::move(tickCount) : [] { return static_cast<uint64_t>(GetTickCount64()); }) {}

void CWin32ScanHost::PumpMessages() {
  // The scan asks after every directory entry. Even an empty queue costs a
  // PeekMessage, a trip into the window server (under Wine, a round trip to
  // another process), and a million entries would spend most of the refresh
  // there. Nobody notices input that waits 15 ms, so the queue is drained at
  // most that often.
  const uint64_t now = m_tickCount();
  if (m_pumped && now - m_lastPump < kPumpIntervalMs) return;
  m_pumped = true;
  m_lastPump = now;
  ::PumpMessages();
}

std::unique_ptr<RefreshWindow> CWin32ScanHost::CreateRefreshWindow(const std::string& caption) {
  // A new refresh answers what waits at its first entry (a cancel chosen
  // right after the start, the hot key), however recent the last drain.
  m_pumped = false;
  auto window = std::make_unique<CRefreshDlg>();
  // Without a window the refresh still runs; the hot key then shows nothing.
  if (!window->Create(caption)) return nullptr;
  return window;
}
