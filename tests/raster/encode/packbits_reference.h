#pragma once
#include <cstddef>
#include <cstdint>

namespace vexmoor::testing {

// Byte-at-a-time state machine with one pending byte and a patched literal
// header; the fast encoder must match it byte for byte.
std::size_t packBitsEncodeReference(const std::uint8_t* in, std::size_t len, std::uint8_t* out);

}  // namespace vexmoor::testing
