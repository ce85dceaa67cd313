#pragma once
// Local time and blocking waits of the running system.
#include "update/ports/clock_port.h"

namespace quillet {

class Win32Clock : public ClockPort {
 public:
  LocalTime localTime() override;
  void sleepMs(std::uint32_t milliseconds) override;
  std::uint32_t tickCount() override;
};

}  // namespace quillet
