#pragma once
// Turns decoded planes into an RGB picture of what the page prints.
#include <cstdint>
#include <vector>

#include "tools/rtlview/rtl_stream.h"

namespace rtlview {

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;
};

// Composites the K, C, M, Y planes (in the order the stream sends them) to
// RGB; each pixel's ink amount is its value over the largest value of its bit
// depth. With mirror, every row is turned back (pixel x shown at width-1-x).
// scale > 1 averages scale x scale pixel blocks into one.
Picture composite(const DecodedStream& s, bool mirror, int scale);

}  // namespace rtlview
