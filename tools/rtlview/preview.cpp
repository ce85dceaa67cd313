#include "tools/rtlview/preview.h"

namespace rtlview {
namespace {

// Ink amount 0..1 of pixel x of a row at the given bit depth.
double ink(const std::uint8_t* row, long x, int bitsPerPixel) {
  const long bit = x * bitsPerPixel;
  const int value = (row[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1 << bitsPerPixel) - 1);
  return static_cast<double>(value) / ((1 << bitsPerPixel) - 1);
}

}  // namespace

Picture composite(const DecodedStream& s, bool mirror, int scale) {
  Picture p;
  if (scale < 1) scale = 1;
  long width = s.pixelsPerRow();
  if (s.bitsPerPixel <= 0 || s.planes < 4 || s.rowBytes == 0) return p;
  // Never read past a row: show only what the rows hold.
  const long rowPixels = static_cast<long>(s.rowBytes * 8 / static_cast<std::size_t>(s.bitsPerPixel));
  if (width > rowPixels) width = rowPixels;
  // A raster width of no pixels has nothing to show (and no row to write).
  if (width <= 0) return p;
  p.width = static_cast<std::uint32_t>((width + scale - 1) / scale);
  p.height = static_cast<std::uint32_t>((s.rows + static_cast<std::size_t>(scale) - 1) / static_cast<std::size_t>(scale));
  std::vector<double> sum(static_cast<std::size_t>(p.width) * 3, 0.0);
  std::vector<int> count(p.width, 0);
  p.rgb.assign(static_cast<std::size_t>(p.width) * p.height * 3, 255);
  for (std::size_t y = 0; y < s.rows; ++y) {
    const std::uint8_t* k = &s.planeRows[0][y * s.rowBytes];
    const std::uint8_t* c = &s.planeRows[1][y * s.rowBytes];
    const std::uint8_t* m = &s.planeRows[2][y * s.rowBytes];
    const std::uint8_t* ye = &s.planeRows[3][y * s.rowBytes];
    for (long x = 0; x < width; ++x) {
      const long src = mirror ? width - 1 - x : x;
      const double white = 1.0 - ink(k, src, s.bitsPerPixel);
      const std::size_t cell = static_cast<std::size_t>(x / scale);
      sum[cell * 3 + 0] += 255.0 * (1.0 - ink(c, src, s.bitsPerPixel)) * white;
      sum[cell * 3 + 1] += 255.0 * (1.0 - ink(m, src, s.bitsPerPixel)) * white;
      sum[cell * 3 + 2] += 255.0 * (1.0 - ink(ye, src, s.bitsPerPixel)) * white;
      ++count[cell];
    }
    if ((y + 1) % static_cast<std::size_t>(scale) == 0 || y + 1 == s.rows) {
      std::uint8_t* out = &p.rgb[(y / static_cast<std::size_t>(scale)) * p.width * 3];
      for (std::uint32_t cell = 0; cell < p.width; ++cell) {
        for (int ch = 0; ch < 3; ++ch) {
          const double v = count[cell] ? sum[cell * 3 + ch] / count[cell] : 255.0;
          out[cell * 3 + ch] = static_cast<std::uint8_t>(v + 0.5);
          sum[cell * 3 + ch] = 0.0;
        }
        count[cell] = 0;
      }
    }
  }
  return p;
}

}  // namespace rtlview
