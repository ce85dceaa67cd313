#pragma once
// Mutual exclusion around the registry's short map operations, over one
// atomic flag. The 32-bit build uses the run-time with Win32 threads (it runs
// on Windows XP), whose library has no std::mutex; a busy wait costs nothing
// here, since the host's threads only touch the registry briefly.
#include <atomic>

class HostLock {
 public:
  void lock() {
    while (flag_.test_and_set(std::memory_order_acquire)) {
    }
  }
  void unlock() { flag_.clear(std::memory_order_release); }

 private:
  std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};
