// flock with a bound on the wait: a holder that hangs costs each waiter the
// bound, never more.
#pragma once

namespace vexmoor {

enum class FlockResult { Had, Busy, Failed };

// Takes kind (LOCK_EX or LOCK_SH) on fd, trying without blocking until it is
// had or `milliseconds` have passed (Busy); Failed on any other error.
FlockResult flockWithin(int fd, int kind, unsigned milliseconds);

}  // namespace vexmoor
