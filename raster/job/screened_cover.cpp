#include "raster/job/screened_cover.h"

#include <cstring>

namespace vexmoor {
namespace {

constexpr std::int64_t kRowEnd = INT64_MAX;
constexpr int kAnyPlanes = 1 << 20;

bool holdsNothing(const ScreenedCover& c) { return c.planes <= 0 || c.firstBit >= c.endBit; }

bool includes(const ScreenedCover& outer, const ScreenedCover& inner) {
  return holdsNothing(inner) || (outer.planes >= inner.planes && outer.firstBit <= inner.firstBit &&
                                 outer.endBit >= inner.endBit);
}

}  // namespace

ScreenedCover wholeRows(int planes) { return ScreenedCover{planes, 0, kRowEnd}; }

ScreenedCover screenedImage(int inks, int bitsPerPixel, int leftOffset, int width) {
  const std::int64_t bits = bitsPerPixel;
  return ScreenedCover{inks, bits * leftOffset, bits * (std::int64_t(leftOffset) + width)};
}

ScreenedCover nothingHeld() { return ScreenedCover{0, 0, 0}; }
ScreenedCover anythingHeld() { return wholeRows(kAnyPlanes); }

void coverScreenedPlanes(ScreenedCover& held, const ScreenedCover& band, std::uint8_t* const* planes, int count,
                         std::size_t bytes) {
  // Uniform bands (the usual page) never clear: what they hold is what the
  // next band overwrites.
  if (!includes(band, held))
    for (int i = 0; i < count; ++i)
      if (planes[i]) std::memset(planes[i], 0, bytes);
  held = band;
}

}  // namespace vexmoor
