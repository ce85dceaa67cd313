// What the job's screened buffers may hold besides zeros, so that a band
// never sends what an earlier band left in them: a band that would not
// overwrite all of it (narrower, with fewer planes, or pre-screened rows
// followed by screened ones) finds the buffers cleared first.
#pragma once

#include <cstdint>

namespace vexmoor {

struct PrinterJob;

// The first `planes` screened planes, in every row the bits from firstBit up
// to endBit; nothing when planes is 0 or the range is empty.
struct ScreenedCover {
  int planes;
  std::int64_t firstBit;
  std::int64_t endBit;
};

// Whole rows of the first `planes` planes: pre-screened, top-offset and
// drain rows, and bands overlaid with a copy layout.
ScreenedCover wholeRows(int planes);
// The image of a screened continuous-tone band: `width` pixels from the left
// offset in each of the job's inks.
ScreenedCover screenedImage(const PrinterJob& job, int width);

// Called before a band writes `band` into the screened buffers: clears every
// screened buffer when they may hold something outside it, then records it.
void coverScreenedPlanes(PrinterJob& job, const ScreenedCover& band);

// Fresh zero-filled buffers hold nothing.
void screenedPlanesAreBlank(PrinterJob& job);
// Rows laid out anew (another row length): nothing in them can be trusted.
void screenedPlanesAreUnknown(PrinterJob& job);

}  // namespace vexmoor
