// What a job's screened buffers may hold besides zeros, so that a band never
// sends what an earlier band left in them: a band that would not overwrite
// all of it (narrower, with fewer planes, or screened rows after
// pre-screened ones) finds the buffers cleared first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexmoor {

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
// offset in each of `inks` planes.
ScreenedCover screenedImage(int inks, int bitsPerPixel, int leftOffset, int width);
// Fresh zero-filled buffers hold nothing; rows laid out anew (another row
// length) may hold anything.
ScreenedCover nothingHeld();
ScreenedCover anythingHeld();

// Called before a band writes `band` into the screened buffers: clears the
// `count` buffers (`bytes` each) when `held` may reach outside the band, then
// records the band as what they hold.
void coverScreenedPlanes(ScreenedCover& held, const ScreenedCover& band, std::uint8_t* const* planes, int count,
                         std::size_t bytes);

}  // namespace vexmoor
