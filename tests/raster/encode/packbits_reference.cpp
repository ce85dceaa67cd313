#include "tests/raster/encode/packbits_reference.h"

namespace vexmoor::testing {

// The encoder written the plain way, step by step with one pending byte: the
// yardstick for the fast encoder. The literal record's header is reserved
// when the record opens and patched when it closes.
std::size_t packBitsEncodeReference(const std::uint8_t* in, std::size_t len, std::uint8_t* out) {
  enum Mode { kNone, kLiteral, kRepeat };
  Mode mode = kNone;
  int count = 0;
  bool pending = false;
  std::uint8_t p = 0;
  std::size_t o = 0;
  std::size_t header = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const std::uint8_t c = in[i];
    if (!pending) {
      p = c;
      pending = true;
      continue;
    }
    if (c == p) {
      if (mode == kLiteral) {
        if (count > 0) out[header] = static_cast<std::uint8_t>(count - 1);
        else o = header;
      }
      if (mode == kRepeat) {
        if (++count == 127) {
          out[o++] = 0x82;
          out[o++] = p;
          mode = kNone;
          count = 0;
          pending = false;
          continue;
        }
      } else {
        mode = kRepeat;
        count = 2;
      }
    } else if (mode == kNone) {
      header = o++;
      out[o++] = p;
      count = 1;
      mode = kLiteral;
    } else if (mode == kLiteral) {
      out[o++] = p;
      if (++count == 127) {
        out[o++] = c;
        out[header] = 127;
        mode = kNone;
        count = 0;
        pending = false;
        continue;
      }
    } else {
      out[o++] = static_cast<std::uint8_t>(1 - count);
      out[o++] = p;
      header = o++;
      count = 0;
      mode = kLiteral;
    }
    p = c;
  }
  if (mode == kNone) {
    if (pending) {
      out[o++] = 0x00;
      out[o++] = p;
    }
  } else if (mode == kLiteral) {
    out[o++] = p;
    out[header] = static_cast<std::uint8_t>(count);
  } else {
    out[o++] = static_cast<std::uint8_t>(1 - count);
    out[o++] = p;
  }
  return o;
}

}  // namespace vexmoor::testing
