// Change notifications fired by hand, for watcher tests: the test fires a
// folder's notification, or lets a wait's time run out, and waits until the
// watcher has handled it. Like Wine, it forgets a change made between a
// signal and the re-arming, and a folder deleted cannot be re-armed.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/change_notifier.h"

class FakeNotifications {
 public:
  std::set<std::string> refused;      // folders the platform will not watch
  std::set<std::string> brokenRearm;  // folders whose notification cannot be re-armed
  // Whether a folder exists now: one that does not cannot be watched or
  // re-armed. Asked on the watcher's thread, while the test waits for it.
  std::function<bool(const std::string&)> exists = [](const std::string&) { return true; };

  int created = 0;                    // watchers started

  // The watcher owns what it is given; this object stays the test's. A new
  // watcher starts after the one before it has stopped.
  std::unique_ptr<ChangeNotifier> Create() {
    Locked hold(m_mutex);
    ++created;
    m_watched.clear();
    m_signalled.clear();
    m_timedOut = false;
    m_stopped = false;
    return std::make_unique<Handle>(*this);
  }

  // Signals these folders' notifications at once; Break makes the next
  // wait fail on one folder's.
  void Fire(const std::vector<std::string>& folders) {
    Locked hold(m_mutex);
    for (size_t i = 0; i < m_watched.size(); ++i) {
      m_signalled[i] = m_signalled[i] || std::count(folders.begin(), folders.end(), m_watched[i]) > 0;
    }
    m_changed.notify_all();
  }
  void Break(const std::string& folder) {
    Locked hold(m_mutex);
    m_broken = folder;
    m_changed.notify_all();
  }
  // Ends the next wait as if its time had run out.
  void TimeOut() {
    Locked hold(m_mutex);
    m_timedOut = true;
    m_changed.notify_all();
  }
  // True once the watcher waits with nothing left to handle.
  bool WaitUntilIdle() {
    Locked hold(m_mutex);
    return m_changed.wait_for(hold, std::chrono::seconds(10), [&] { return m_waiting && !Pending(); });
  }
  std::vector<std::string> Watched() {
    Locked hold(m_mutex);
    return m_watched;
  }

 private:
  using Locked = std::unique_lock<std::mutex>;
  struct Handle : ChangeNotifier {
    explicit Handle(FakeNotifications& all) : m_all(all) {}
    bool Add(const std::string& folder) override { return m_all.Add(folder); }
    WaitResult Wait(size_t& index, uint32_t) override { return m_all.Wait(index); }
    bool Rearm(size_t index) override { return m_all.Rearm(index); }
    void Remove(size_t index) override { m_all.Remove(index); }
    void Stop() override { m_all.Stop(); }
    FakeNotifications& m_all;
  };

  bool Pending() const {
    return m_timedOut || !m_broken.empty() || std::count(m_signalled.begin(), m_signalled.end(), true) > 0;
  }

  bool Add(const std::string& folder) {
    Locked hold(m_mutex);
    if (refused.count(folder) || !exists(folder) || m_watched.size() >= ChangeNotifier::kMaxFolders) return false;
    m_watched.push_back(folder);
    m_signalled.push_back(false);
    return true;
  }
  ChangeNotifier::WaitResult Wait(size_t& index) {
    using WaitResult = ChangeNotifier::WaitResult;
    Locked hold(m_mutex);
    m_waiting = true;
    m_changed.notify_all();
    m_changed.wait(hold, [&] { return m_stopped || Pending(); });
    m_waiting = false;
    if (m_stopped) return WaitResult::kStopped;
    if (!m_broken.empty()) {
      index = std::find(m_watched.begin(), m_watched.end(), m_broken) - m_watched.begin();
      m_broken.clear();
      return WaitResult::kFailed;
    }
    index = std::find(m_signalled.begin(), m_signalled.end(), true) - m_signalled.begin();
    if (index < m_signalled.size()) return WaitResult::kChanged;
    m_timedOut = false;
    return WaitResult::kTimeout;
  }
  bool Rearm(size_t index) {
    Locked hold(m_mutex);
    m_signalled[index] = false;
    return !brokenRearm.count(m_watched[index]) && exists(m_watched[index]);
  }
  void Remove(size_t index) {
    Locked hold(m_mutex);
    m_watched.erase(m_watched.begin() + static_cast<std::ptrdiff_t>(index));
    m_signalled.erase(m_signalled.begin() + static_cast<std::ptrdiff_t>(index));
  }
  void Stop() {
    Locked hold(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
  }

  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_watched;
  std::vector<bool> m_signalled;
  std::string m_broken;
  bool m_timedOut = false;
  bool m_waiting = false;
  bool m_stopped = false;
};
