// A mutex that clang's thread-safety analysis understands: members marked
// VELNOR_GUARDED_BY(m_lock) may be touched only while the lock is held, and
// functions marked VELNOR_REQUIRES(m_lock) only be called so. Other
// compilers see plain std::mutex.
#pragma once

#include <mutex>

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

class VELNOR_CAPABILITY("mutex") Mutex {
 public:
  void Lock() VELNOR_ACQUIRE() { m_mutex.lock(); }
  void Unlock() VELNOR_RELEASE() { m_mutex.unlock(); }

 private:
  std::mutex m_mutex;
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
