// The host's parameter block: fetching and checking it, reading its fields
// and exchanging the two waiting flags with the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/host_contract.h"
#include "raster/job/ports.h"

namespace vexmoor {

struct PrintParamBlock {
  std::uint8_t bytes[PLEXOR_PARAM_BLOCK_SIZE];
};

// Allocates and fetches the block for jobNumber; null when the host has none
// or its magic is not "NVPMD" followed by a zero byte.
PrintParamBlock* fetchParamBlock(const JobEnvironment& env, int jobNumber);
void releaseParamBlock(const JobEnvironment& env, PrintParamBlock* block);

bool hasParamMagic(const std::uint8_t* block);

std::int8_t readSigned8(const PrintParamBlock& b, std::size_t offset);
std::uint8_t readUnsigned8(const PrintParamBlock& b, std::size_t offset);
std::int16_t readSigned16(const PrintParamBlock& b, std::size_t offset);
std::int32_t readSigned32(const PrintParamBlock& b, std::size_t offset);
// Copies a zero-terminated UTF-16 field of at most maxChars characters.
void readWideText(const PrintParamBlock& b, std::size_t offset, std::size_t maxChars, char16_t* out,
                  std::size_t capacity);

// Sets the waiting flag in the host's block (fetch with mode 1, set, hand
// back). A failed fetch leaves the host's block untouched.
void setWaitingFlag(const JobEnvironment& env, int jobNumber, bool waiting);
// Whether the host ends a wait: the stop-waiting flag is set in a fresh
// block, or no block can be fetched any more (the host withdrew the job's
// block, and with it the only way to end the wait).
bool hostEndsTheWait(const JobEnvironment& env, int jobNumber);

}  // namespace vexmoor
