#pragma once
// A ByteSink that records every write separately and can be told to fail.
#include <cstdint>
#include <string>
#include <vector>

#include "raster/encode/byte_sink.h"

namespace vexmoor::testing {

struct RecordingSink {
  std::vector<std::string> writes;
  int failAt = -1;  // index of the write that fails; -1: none
  int attempts = 0;

  ByteSink sink() { return ByteSink{&RecordingSink::write, this}; }

  std::string all() const {
    std::string s;
    for (const auto& w : writes) s += w;
    return s;
  }

  static int write(void* context, const void* bytes, std::uint32_t length) {
    auto* self = static_cast<RecordingSink*>(context);
    if (self->attempts++ == self->failAt) return -1;
    self->writes.emplace_back(static_cast<const char*>(bytes), length);
    return 0;
  }
};

}  // namespace vexmoor::testing
