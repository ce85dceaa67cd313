#pragma once
// A clock that never sleeps: it records every wait, moves its tick count on
// by it, and answers a set local time.
#include <cstdint>
#include <string>
#include <vector>

#include "update/ports/clock_port.h"

namespace quillet {

class FakeClock : public ClockPort {
 public:
  LocalTime localTime() override { return now; }
  void sleepMs(std::uint32_t milliseconds) override;
  // Advances only by the waits.
  std::uint32_t tickCount() override { return ticks; }

  std::uint64_t totalSleptMs() const;

  LocalTime now{2001, 2, 3, 4, 5, 6};
  std::vector<std::uint32_t> sleeps;
  std::uint32_t ticks = 0;
  // When set, each wait is also appended here as "sleep <ms>" (to check the
  // order of waits among other recorded events).
  std::vector<std::string>* sharedLog = nullptr;
};

}  // namespace quillet
