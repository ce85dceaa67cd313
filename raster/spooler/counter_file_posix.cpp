// The job counter file on POSIX systems: flock on the open file. flock locks
// belong to the open file, so two opens in one process exclude each other as
// well as two processes do (fcntl record locks would not between threads).
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "raster/spooler/bounded_flock_posix.h"
#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

int descriptor(void* file) { return int(reinterpret_cast<std::intptr_t>(file)) - 1; }
void* asFile(int fd) { return reinterpret_cast<void*>(std::intptr_t(fd) + 1); }

void* openLocked(void*, const char* path, bool forWriting, bool* busy) {
  *busy = false;
  // Not handed to child processes: a host's children must not hold the lock.
  const int fd = forWriting ? open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666) : open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  const FlockResult lock = flockWithin(fd, forWriting ? LOCK_EX : LOCK_SH, kCounterLockWaitMilliseconds);
  if (lock != FlockResult::Had) {
    *busy = lock == FlockResult::Busy;
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
