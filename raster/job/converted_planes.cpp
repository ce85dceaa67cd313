#include "raster/job/converted_planes.h"

#include <cstring>

namespace vexmoor {

bool adjustsInPlace(const PrinterJob& job) { return job.variant == ColourVariant::CMYK; }

bool prepareConvertedPlanes(PrinterJob& job) {
  MemoryPort& memory = job.env.memory;
  // The in-place adjustment is handed every plane of the band; the six-ink
  // conversions read the host's planes and write inkCount planes of their own.
  const bool inPlace = adjustsInPlace(job);
  const int planes = inPlace ? job.inputPlaneCount : job.inkCount;
  if (job.convertedCapacity < job.inputPixels) {
    // Every buffer is taken at the new size, so all share convertedCapacity.
    releaseConvertedPlanes(job);
    job.convertedCapacity = job.inputPixels;
  }
  const std::size_t bytes = 2 * std::size_t(job.convertedCapacity);
  for (int i = 0; i < planes; ++i) {
    if (!job.convertedPlanes[i]) job.convertedPlanes[i] = memory.allocateZeroed(memory.context, bytes ? bytes : 1);
    if (!job.convertedPlanes[i]) return false;
  }
  if (inPlace)
    for (int i = 0; i < planes; ++i)
      std::memcpy(job.convertedPlanes[i], job.inputPlanes[i], 2 * std::size_t(job.inputPixels));
  return true;
}

void releaseConvertedPlanes(PrinterJob& job) {
  for (void*& p : job.convertedPlanes) {
    if (p) job.env.memory.release(job.env.memory.context, p);
    p = nullptr;
  }
  job.convertedCapacity = 0;
}

}  // namespace vexmoor
