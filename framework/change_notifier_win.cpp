#include "framework/change_notifier_win.h"

#include <windows.h>

#include <mutex>
#include <vector>

#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

namespace {

constexpr DWORD kChangeFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

// Queued to wake the waiting thread; the wait itself reports it.
void CALLBACK WakeWaiter(ULONG_PTR) {}

class Win32ChangeNotifier final : public ChangeNotifier {
 public:
  bool Add(const std::string& folder) override {
    if (m_handles.size() >= kMaxFolders) return false;
    ChangeNotificationHandle handle(
        FindFirstChangeNotificationW(Utf8ToWide(folder).c_str(), TRUE, kChangeFilter));
    if (!handle) return false;
    m_handles.push_back(std::move(handle));
    return true;
  }

  WaitResult Wait(size_t& index, uint32_t timeoutMs) override {
    index = kUnknown;
    if (!PrepareToWait()) return WaitResult::kStopped;
    std::vector<HANDLE> raw;
    for (const auto& handle : m_handles) raw.push_back(handle.Get());
    // Alertable, so that Stop can end the wait without a handle of its own:
    // all 64 places of the wait stay for folders. Any other wake-up before
    // the time is out only brings the caller's check forward.
    if (raw.empty()) {
      return SleepEx(timeoutMs, TRUE) == WAIT_IO_COMPLETION && IsStopped() ? WaitResult::kStopped
                                                                         : WaitResult::kTimeout;
    }
    const DWORD result = WaitForMultipleObjectsEx(static_cast<DWORD>(raw.size()), raw.data(), FALSE, timeoutMs, TRUE);
    if (result == WAIT_IO_COMPLETION) return IsStopped() ? WaitResult::kStopped : WaitResult::kTimeout;
    if (result == WAIT_TIMEOUT) return WaitResult::kTimeout;
    if (result < WAIT_OBJECT_0 + raw.size()) {
      index = result - WAIT_OBJECT_0;
      return WaitResult::kChanged;
    }
    // The wait does not say which handle broke; asking each does.
    for (size_t i = 0; i < raw.size(); ++i) {
      if (WaitForSingleObject(raw[i], 0) == WAIT_FAILED) {
        index = i;
        break;
      }
    }
    return WaitResult::kFailed;
  }

  bool Rearm(size_t index) override {
    return index < m_handles.size() && FindNextChangeNotification(m_handles[index].Get()) != FALSE;
  }
  void Remove(size_t index) override {
    if (index < m_handles.size()) m_handles.erase(m_handles.begin() + static_cast<std::ptrdiff_t>(index));
  }

  void Stop() override {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_stopped = true;
    if (m_waiter) QueueUserAPC(&WakeWaiter, m_waiter.Get(), 0);
  }

 private:
  // Remembers the waiting thread for Stop; false once stopped. A Stop that
  // comes after this but before the wait begins still wakes it: an APC
  // queued earlier runs as soon as the thread waits alertably.
  bool PrepareToWait() {
    std::lock_guard<std::mutex> hold(m_mutex);
    if (m_stopped) return false;
    if (!m_waiter || m_waiterId != GetCurrentThreadId()) {
      HANDLE thread = nullptr;
      if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, 0, FALSE,
                          DUPLICATE_SAME_ACCESS)) {
        m_waiter.Reset(thread);
        m_waiterId = GetCurrentThreadId();
      }
    }
    return true;
  }
  bool IsStopped() {
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_stopped;
  }

  std::vector<ChangeNotificationHandle> m_handles;  // used by the waiting thread only
  std::mutex m_mutex;
  bool m_stopped = false;
  KernelHandle m_waiter;
  DWORD m_waiterId = 0;
};

}  // namespace

std::unique_ptr<ChangeNotifier> CreateWin32ChangeNotifier() { return std::make_unique<Win32ChangeNotifier>(); }
