#include "raster/job/screened_cover.h"

#include <cstring>

#include "raster/job/printer_job.h"

namespace vexmoor {
namespace {

constexpr std::int64_t kRowEnd = INT64_MAX;

bool holdsNothing(const ScreenedCover& c) { return c.planes <= 0 || c.firstBit >= c.endBit; }

bool includes(const ScreenedCover& outer, const ScreenedCover& inner) {
  return holdsNothing(inner) || (outer.planes >= inner.planes && outer.firstBit <= inner.firstBit &&
                                 outer.endBit >= inner.endBit);
}

}  // namespace

ScreenedCover wholeRows(int planes) { return ScreenedCover{planes, 0, kRowEnd}; }

ScreenedCover screenedImage(const PrinterJob& job, int width) {
  const std::int64_t bits = job.bitsPerPixel;
  return ScreenedCover{job.inkCount, bits * job.leftOffset, bits * (std::int64_t(job.leftOffset) + width)};
}

void coverScreenedPlanes(PrinterJob& job, const ScreenedCover& band) {
  // Uniform bands (the usual page) never clear: what they hold is what the
  // next band overwrites.
  if (!includes(band, job.screenedCover))
    for (int i = 0; i < job.outputPlaneCount; ++i)
      if (job.screenedPlanes[i]) std::memset(job.screenedPlanes[i], 0, std::size_t(job.screenedCapacity));
  job.screenedCover = band;
}

void screenedPlanesAreBlank(PrinterJob& job) { job.screenedCover = ScreenedCover{0, 0, 0}; }

void screenedPlanesAreUnknown(PrinterJob& job) { job.screenedCover = wholeRows(kMaxScreenedPlanes); }

}  // namespace vexmoor
