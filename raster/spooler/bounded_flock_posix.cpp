#include "raster/spooler/bounded_flock_posix.h"

#include <sys/file.h>
#include <time.h>

#include <cerrno>
#include <cstdint>

namespace vexmoor {
namespace {

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

FlockResult flockWithin(int fd, int kind, unsigned milliseconds) {
  const std::int64_t deadline = monotonicMilliseconds() + milliseconds;
  // The pause between tries grows from 50 microseconds to 10 milliseconds,
  // so that the short holds of other jobs cost little.
  long pause = 50000;  // nanoseconds
  for (;;) {
    if (flock(fd, kind | LOCK_NB) == 0) return FlockResult::Had;
    if (errno != EWOULDBLOCK && errno != EINTR) return FlockResult::Failed;
    if (monotonicMilliseconds() >= deadline) return FlockResult::Busy;
    timespec step{0, pause};
    nanosleep(&step, nullptr);
    if (pause < 10000000) pause *= 2;
  }
}

}  // namespace vexmoor
