// What a refresh of the running program needs from the user interface: the
// thread's message queue kept moving, and a real progress window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "database/scan_host.h"

class CWin32ScanHost : public ScanHost {
 public:
  // `tickCount` is the millisecond clock the pump is paced by; tests pass
  // one of their own.
  explicit CWin32ScanHost(std::function<uint64_t()> tickCount = nullptr);

  void PumpMessages() override;
  std::unique_ptr<RefreshWindow> CreateRefreshWindow(const std::string& caption) override;

  // How long the queue may wait between two drains during a refresh.
  static constexpr uint64_t kPumpIntervalMs = 15;

 private:
  std::function<uint64_t()> m_tickCount;
  uint64_t m_lastPump = 0;
  bool m_pumped = false;
};
