#pragma once
// Where printer command bytes go. The row and job writers call write once per
// command and once per row payload, so a sink that forwards each call to one
// spooler write gives exactly one spooler write per command.
#include <cstdint>

namespace vexmoor {

struct ByteSink {
  // Returns 0 when the bytes were accepted, -1 when the write failed.
  int (*write)(void* context, const void* bytes, std::uint32_t length);
  void* context;
};

}  // namespace vexmoor
