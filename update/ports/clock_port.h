#pragma once
// Time: the local calendar time, the executor's fixed waits and the tick
// count that measures the service waits.
#include <cstdint>

namespace quillet {

struct LocalTime {
  int year = 0;    // four digits
  int month = 0;   // 1..12
  int day = 0;
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
};

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual LocalTime localTime() = 0;
  // Blocks the thread (the tool runs no message loop while it waits).
  virtual void sleepMs(std::uint32_t milliseconds) = 0;
  // Milliseconds since the system started (GetTickCount); wraps after about
  // 49.7 days, so only differences of two readings count.
  virtual std::uint32_t tickCount() = 0;
};

}  // namespace quillet
