#include "tests/fakes/fake_clock.h"

namespace quillet {

void FakeClock::sleepMs(std::uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  ticks += milliseconds;
  if (sharedLog != nullptr) sharedLog->push_back("sleep " + std::to_string(milliseconds));
}

std::uint64_t FakeClock::totalSleptMs() const {
  std::uint64_t total = 0;
  for (std::uint32_t ms : sleeps) total += ms;
  return total;
}

}  // namespace quillet
