#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexmoor::testing {

// Byte-at-a-time state machine with one pending byte and a patched literal
// header; the fast encoder must match it byte for byte.
std::size_t packBitsEncodeReference(const std::uint8_t* in, std::size_t len, std::uint8_t* out);

// Plain PackBits decoder. Returns false on a 0x80 header, a record that runs
// past the end of the data, or output longer than maxOut.
bool packBitsDecode(const std::uint8_t* in, std::size_t len, std::size_t maxOut,
                    std::vector<std::uint8_t>& out);

}  // namespace vexmoor::testing
