#pragma once
// The 8 x 8 Bayer threshold tile (levels 0..63, scaled to 2..254) that the
// sample streams and the benchmark rows are screened with.
#include <cstdint>

namespace vexmoor::testing {

inline void bayerThresholds8x8(std::int16_t (&thresholds)[64]) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      int v = 0;
      for (int bit = 0; bit < 3; ++bit) {
        const int xb = (x >> bit) & 1, yb = (y >> bit) & 1;
        v |= ((xb ^ yb) << (5 - 2 * bit)) | (yb << (4 - 2 * bit));
      }
      thresholds[y * 8 + x] = static_cast<std::int16_t>(v * 4 + 2);
    }
}

}  // namespace vexmoor::testing
