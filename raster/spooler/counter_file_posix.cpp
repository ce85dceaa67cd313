// The job counter file on POSIX systems: flock on the open file. flock locks
// belong to the open file, so two opens in one process exclude each other as
// well as two processes do (fcntl record locks would not between threads).
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

int descriptor(void* file) { return int(reinterpret_cast<std::intptr_t>(file)) - 1; }
void* asFile(int fd) { return reinterpret_cast<void*>(std::intptr_t(fd) + 1); }

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Tries the lock without blocking until it is had or the bound has passed:
// a holder that hangs costs each waiter the bound, never more. The pause
// between tries grows from 50 microseconds to 10 milliseconds, so that the
// short holds of other jobs cost little.
enum class Lock { Had, Busy, Failed };
Lock lockWithin(int fd, int kind, unsigned milliseconds) {
  const std::int64_t deadline = monotonicMilliseconds() + milliseconds;
  long pause = 50000;  // nanoseconds
  for (;;) {
    if (flock(fd, kind | LOCK_NB) == 0) return Lock::Had;
    if (errno != EWOULDBLOCK && errno != EINTR) return Lock::Failed;
    if (monotonicMilliseconds() >= deadline) return Lock::Busy;
    timespec step{0, pause};
    nanosleep(&step, nullptr);
    if (pause < 10000000) pause *= 2;
  }
}

void* openLocked(void*, const char* path, bool forWriting, bool* busy) {
  *busy = false;
  // Not handed to child processes: a host's children must not hold the lock.
  const int fd = forWriting ? open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666) : open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  const Lock lock = lockWithin(fd, forWriting ? LOCK_EX : LOCK_SH, kCounterLockWaitMilliseconds);
  if (lock != Lock::Had) {
    *busy = lock == Lock::Busy;
    close(fd);
    return nullptr;
  }
  return asFile(fd);
}

void readText(void*, void* file, char* text, std::size_t capacity) {
  std::size_t used = 0;
  while (used + 1 < capacity) {
    const ssize_t n = pread(descriptor(file), text + used, capacity - 1 - used, off_t(used));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += std::size_t(n);
  }
  text[used] = 0;
}

bool replaceText(void*, void* file, const char* text, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = pwrite(descriptor(file), text + done, length - done, off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return ftruncate(descriptor(file), off_t(length)) == 0;
}

void closeFile(void*, void* file) {
  // Closing the descriptor releases the lock.
  close(descriptor(file));
}

}  // namespace

CounterFilePort systemCounterFilePort() { return CounterFilePort{nullptr, &openLocked, &readText, &replaceText, &closeFile}; }

}  // namespace vexmoor
