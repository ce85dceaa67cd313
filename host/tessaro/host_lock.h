#pragma once
// Mutual exclusion around the registry's map operations: a real mutex, so a
// thread that waits sleeps in the kernel instead of spinning (twelve jobs on
// twelve threads would otherwise burn their time slices in the wait). The
// 32-bit build uses the run-time with Win32 threads (it runs on Windows XP),
// whose library has no std::mutex: Windows builds take a critical section.
#ifdef _WIN32
#include <windows.h>

class HostLock {
 public:
  HostLock() { InitializeCriticalSection(&section_); }
  ~HostLock() { DeleteCriticalSection(&section_); }
  HostLock(const HostLock&) = delete;
  HostLock& operator=(const HostLock&) = delete;
  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};
#else
#include <mutex>

using HostLock = std::mutex;
#endif
