// A mutex that clang's thread-safety analysis understands: members marked
// VELNOR_GUARDED_BY(m_lock) may be touched only while the lock is held, and
// functions marked VELNOR_REQUIRES(m_lock) only be called so. Other
// compilers see plain std::mutex.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <utility>

#if defined(__clang__)
#define VELNOR_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VELNOR_THREAD_ANNOTATION(x)
#endif

#define VELNOR_CAPABILITY(x) VELNOR_THREAD_ANNOTATION(capability(x))
#define VELNOR_SCOPED_CAPABILITY VELNOR_THREAD_ANNOTATION(scoped_lockable)
#define VELNOR_GUARDED_BY(x) VELNOR_THREAD_ANNOTATION(guarded_by(x))
#define VELNOR_REQUIRES(...) VELNOR_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define VELNOR_EXCLUDES(...) VELNOR_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define VELNOR_ACQUIRE(...) VELNOR_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define VELNOR_RELEASE(...) VELNOR_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

// Also measures how long each hold lasts, so that a thread that must never
// keep others waiting (the change watcher) can report its longest hold.
class VELNOR_CAPABILITY("mutex") Mutex {
 public:
  using Clock = std::chrono::steady_clock;

  void Lock() VELNOR_ACQUIRE() {
    m_mutex.lock();
    m_lockedAt = Clock::now();
  }
  void Unlock() VELNOR_RELEASE() {
    const uint64_t held = static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_lockedAt).count());
    m_mutex.unlock();
    t_longestHoldUs = std::max(t_longestHoldUs, held);
  }

  // The longest time the calling thread held any Mutex since it last asked,
  // in microseconds.
  static uint64_t TakeLongestHoldOnThisThread() { return std::exchange(t_longestHoldUs, 0); }

 private:
  std::mutex m_mutex;
  Clock::time_point m_lockedAt;  // written and read under the lock
  static inline thread_local uint64_t t_longestHoldUs = 0;
};

class VELNOR_SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) VELNOR_ACQUIRE(mutex) : m_mutex(mutex) { m_mutex.Lock(); }
  ~MutexLock() VELNOR_RELEASE() { m_mutex.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& m_mutex;
};
