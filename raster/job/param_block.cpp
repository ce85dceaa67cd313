#include "raster/job/param_block.h"

#include <cstring>

namespace vexmoor {

bool hasParamMagic(const std::uint8_t* block) {
  return std::memcmp(block, "NVPMD", 6) == 0;  // the five letters and the zero byte
}

PrintParamBlock* fetchParamBlock(const JobEnvironment& env, int jobNumber) {
  auto* block = static_cast<PrintParamBlock*>(
      env.memory.allocateZeroed(env.memory.context, sizeof(PrintParamBlock)));
  if (!block) return nullptr;
  std::uint32_t token = 0;
  if (env.host.getPrintParams(jobNumber, block->bytes, 0, &token) == 0 || !hasParamMagic(block->bytes)) {
    env.memory.release(env.memory.context, block);
    return nullptr;
  }
  return block;
}

void releaseParamBlock(const JobEnvironment& env, PrintParamBlock* block) {
  if (!block) return;
  env.host.clearPrintParamsWorkArea(block->bytes);
  env.memory.release(env.memory.context, block);
}

std::int8_t readSigned8(const PrintParamBlock& b, std::size_t offset) {
  return static_cast<std::int8_t>(b.bytes[offset]);
}

std::uint8_t readUnsigned8(const PrintParamBlock& b, std::size_t offset) { return b.bytes[offset]; }

std::int16_t readSigned16(const PrintParamBlock& b, std::size_t offset) {
  return static_cast<std::int16_t>(b.bytes[offset] | (b.bytes[offset + 1] << 8));
}

std::int32_t readSigned32(const PrintParamBlock& b, std::size_t offset) {
  std::uint32_t v = std::uint32_t(b.bytes[offset]) | (std::uint32_t(b.bytes[offset + 1]) << 8) |
                    (std::uint32_t(b.bytes[offset + 2]) << 16) | (std::uint32_t(b.bytes[offset + 3]) << 24);
  return static_cast<std::int32_t>(v);
}

void readWideText(const PrintParamBlock& b, std::size_t offset, std::size_t maxChars, char16_t* out,
                  std::size_t capacity) {
  std::size_t n = 0;
  while (n + 1 < capacity && n < maxChars && offset + 2 * n + 1 < sizeof(b.bytes)) {
    char16_t c = char16_t(b.bytes[offset + 2 * n] | (b.bytes[offset + 2 * n + 1] << 8));
    if (c == 0) break;
    out[n++] = c;
  }
  if (capacity) out[n] = 0;
}

void setWaitingFlag(const JobEnvironment& env, int jobNumber, bool waiting) {
  auto* copy = static_cast<PrintParamBlock*>(
      env.memory.allocateZeroed(env.memory.context, sizeof(PrintParamBlock)));
  if (!copy) return;
  std::uint32_t token = 0;
  if (env.host.getPrintParams(jobNumber, copy->bytes, 1, &token) != 0) {
    copy->bytes[PPB_WAITING] = waiting ? 1 : 0;
    env.host.setPrintParams(jobNumber, copy->bytes, 1, token);
    env.host.clearPrintParamsWorkArea(copy->bytes);
  }
  env.memory.release(env.memory.context, copy);
}

bool hostEndsTheWait(const JobEnvironment& env, int jobNumber) {
  PrintParamBlock* block = fetchParamBlock(env, jobNumber);
  if (!block) return true;
  bool set = block->bytes[PPB_STOP_WAITING] == 1;
  releaseParamBlock(env, block);
  return set;
}

}  // namespace vexmoor
