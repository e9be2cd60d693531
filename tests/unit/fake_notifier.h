// Change notifications fired by hand, for watcher tests: the test fires a
// folder's notification and waits until the watcher has handled it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/change_notifier.h"

class FakeNotifications {
 public:
  std::set<std::string> refused;     // folders the platform will not watch
  std::set<std::string> brokenRearm; // folders whose notification cannot be re-armed

  std::unique_ptr<ChangeNotifier> Create() { return std::make_unique<Notifier>(*this); }

  // Signals every watched entry for these folders at once.
  void Fire(const std::vector<std::string>& folders) {
    std::lock_guard<std::mutex> hold(m_mutex);
    for (size_t i = 0; i < m_watched.size(); ++i) {
      if (std::count(folders.begin(), folders.end(), m_watched[i])) m_signalled[i] = true;
    }
    m_changed.notify_all();
  }
  // Makes the next wait fail on this folder's notification.
  void Break(const std::string& folder) {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_broken = folder;
    m_changed.notify_all();
  }
  // True once the watcher waits with nothing left to handle.
  bool WaitUntilIdle() {
    std::unique_lock<std::mutex> hold(m_mutex);
    return m_changed.wait_for(hold, std::chrono::seconds(10), [&] {
      return m_waiting && m_broken.empty() && std::none_of(m_signalled.begin(), m_signalled.end(), [](bool s) { return s; });
    });
  }
  std::vector<std::string> Watched() {
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_watched;
  }

 private:
  class Notifier : public ChangeNotifier {
   public:
    explicit Notifier(FakeNotifications& all) : m_all(all) {}
    bool Add(const std::string& folder) override {
      std::lock_guard<std::mutex> hold(m_all.m_mutex);
      if (m_all.refused.count(folder) || m_all.m_watched.size() >= kMaxFolders) return false;
      m_all.m_watched.push_back(folder);
      m_all.m_signalled.push_back(false);
      return true;
    }
    size_t Count() const override {
      std::lock_guard<std::mutex> hold(m_all.m_mutex);
      return m_all.m_watched.size();
    }
    WaitResult Wait(size_t& index) override {
      std::unique_lock<std::mutex> hold(m_all.m_mutex);
      m_all.m_waiting = true;
      m_all.m_changed.notify_all();
      for (;;) {
        if (m_all.m_stopped) return WaitResult::kStopped;
        if (!m_all.m_broken.empty()) {
          const auto it = std::find(m_all.m_watched.begin(), m_all.m_watched.end(), m_all.m_broken);
          index = it == m_all.m_watched.end() ? kUnknown : static_cast<size_t>(it - m_all.m_watched.begin());
          m_all.m_broken.clear();
          m_all.m_waiting = false;
          return WaitResult::kFailed;
        }
        const auto it = std::find(m_all.m_signalled.begin(), m_all.m_signalled.end(), true);
        if (it != m_all.m_signalled.end()) {
          index = static_cast<size_t>(it - m_all.m_signalled.begin());
          *it = false;
          m_all.m_waiting = false;
          return WaitResult::kChanged;
        }
        m_all.m_changed.wait(hold);
      }
    }
    bool Rearm(size_t index) override {
      std::lock_guard<std::mutex> hold(m_all.m_mutex);
      // As under Wine, a change between the signal and the re-arming is
      // forgotten.
      m_all.m_signalled[index] = false;
      return !m_all.brokenRearm.count(m_all.m_watched[index]);
    }
    void Remove(size_t index) override {
      std::lock_guard<std::mutex> hold(m_all.m_mutex);
      m_all.m_watched.erase(m_all.m_watched.begin() + static_cast<std::ptrdiff_t>(index));
      m_all.m_signalled.erase(m_all.m_signalled.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void Stop() override {
      std::lock_guard<std::mutex> hold(m_all.m_mutex);
      m_all.m_stopped = true;
      m_all.m_changed.notify_all();
    }

   private:
    FakeNotifications& m_all;
  };

  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_watched;
  std::vector<bool> m_signalled;
  std::string m_broken;
  bool m_waiting = false;
  bool m_stopped = false;
};
