// The title picture loader fed arbitrary bytes as "title.bmp", then the
// picture drawn into a pixel buffer the way the dialog's drawing call reads
// it: the information header, as many colours as it names (all of the bit
// depth when it names none) and every row of pixel bits. The reads go
// through raw pointers into the loader's exact-size blocks, so a block that
// is shorter than its header promises is an AddressSanitizer finding.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "update/run/title_picture.h"

namespace {

using quillet::TitlePicture;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint32_t u32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Draws into 32-bit pixels at most 64 x 64 (a corner of the picture: the
// rows and colours it reads are still every one the header names).
void draw(const TitlePicture& picture) {
  const std::uint8_t* info = picture.description.data();
  const std::int32_t width = static_cast<std::int32_t>(u32(info + 4));
  const std::int32_t height = static_cast<std::int32_t>(u32(info + 8));
  const unsigned bitCount = info[14] | info[15] << 8;
  const std::uint32_t named = u32(info + 32);
  check(u32(info) == 40 && width == picture.width);
  check(height == picture.height || height == -picture.height);
  const std::uint32_t colours = bitCount < 16 ? (named != 0 ? named : 1u << bitCount) : 0;
  const std::uint8_t* table = info + 40;
  std::uint32_t tableSum = 0;
  for (std::uint32_t i = 0; i < colours; ++i) tableSum += u32(table + 4 * i);

  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  const std::uint8_t* bits = picture.bits.data();
  const std::size_t rows = static_cast<std::size_t>(picture.height);
  // The system copies the whole block: its first and last bytes bound that read.
  const std::uint32_t rowSum = bits[0] + bits[rows * stride - 1];

  std::vector<std::uint32_t> canvas(64 * 64);
  const int w = width < 64 ? width : 64;
  const int h = picture.height < 64 ? picture.height : 64;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < w; ++x) {
      std::uint32_t pixel = 0;
      if (bitCount < 8) {
        const unsigned bit = static_cast<unsigned>(x) * bitCount;
        const unsigned index = (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
        // Windows draws an index past the colours named as black.
        pixel = index < colours ? u32(table + 4 * index) : 0;
      } else if (bitCount == 8) {
        pixel = row[x] < colours ? u32(table + 4 * row[x]) : 0;
      } else {
        std::memcpy(&pixel, row + static_cast<std::size_t>(x) * (bitCount / 8), bitCount / 8);
      }
      canvas[static_cast<std::size_t>(y) * 64 + x] = pixel ^ tableSum ^ rowSum;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TitlePicture picture;
  const bool loaded = parseTitlePicture(std::string(reinterpret_cast<const char*>(data), size), &picture);
  check(loaded == picture.loaded());
  if (!loaded) {
    check(picture.bits.empty() && picture.width == 0 && picture.height == 0);
    return 0;
  }
  check(picture.width > 0 && picture.height > 0);
  check(picture.bits.size() <= quillet::kMaxTitlePictureBits);
  draw(picture);
  return 0;
}
