// rtlview's stream parser fed arbitrary bytes as a spool document, then the
// preview of what it decoded composited and written as a PNG (to the null
// device: the encoding is what runs). The first byte picks mirroring and the
// preview scale.
#include <cstddef>
#include <cstdint>

#include "tools/rtlview/png_writer.h"
#include "tools/rtlview/preview.h"
#include "tools/rtlview/rtl_stream.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool mirror = data[0] & 1;
  const int scale = 1 + (data[0] >> 1) % 8;
  const rtlview::DecodedStream s = rtlview::decodeStream(data + 1, size - 1);

  // Every plane holds whole rows of the same length.
  for (const auto& plane : s.planeRows) check(plane.size() == s.rows * s.rowBytes);
  for (const auto& problem : s.problems) check(problem.offset <= size - 1);

  const rtlview::Picture picture = rtlview::composite(s, mirror, scale);
  check(picture.rgb.size() == std::size_t{picture.width} * picture.height * 3);
  if (picture.width != 0 && picture.height != 0) {
    rtlview::writePng("/dev/null", picture.rgb, picture.width, picture.height);
  }
  return 0;
}
