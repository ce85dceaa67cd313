#include "raster/job/converted_planes.h"

#include <cstring>

namespace vexmoor {

bool prepareConvertedPlanes(const MemoryPort& memory, void** converted, int count, int& capacity, int planes,
                            int pixels, void* const* copyFrom) {
  if (capacity < pixels) {
    // Every buffer is taken anew at the new size, so all share the capacity.
    releaseConvertedPlanes(memory, converted, count, capacity);
    capacity = pixels;
  }
  const std::size_t bytes = 2 * std::size_t(capacity);
  for (int i = 0; i < planes; ++i) {
    if (!converted[i]) converted[i] = memory.allocateZeroed(memory.context, bytes ? bytes : 1);
    if (!converted[i]) return false;
  }
  if (copyFrom)
    for (int i = 0; i < planes; ++i) std::memcpy(converted[i], copyFrom[i], 2 * std::size_t(pixels));
  return true;
}

void releaseConvertedPlanes(const MemoryPort& memory, void** converted, int count, int& capacity) {
  for (int i = 0; i < count; ++i) {
    if (converted[i]) memory.release(memory.context, converted[i]);
    converted[i] = nullptr;
  }
  capacity = 0;
}

}  // namespace vexmoor
