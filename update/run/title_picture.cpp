#include "update/run/title_picture.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t u32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

std::uint16_t u16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Copies count bytes from the file at `from` into out; bytes past the end of
// the file read as zero.
void copyPadded(const std::string& bytes, std::uint64_t from, std::size_t count,
                std::uint8_t* out) {
  std::fill(out, out + count, 0);
  if (from >= bytes.size()) return;
  const std::size_t available = std::min<std::uint64_t>(count, bytes.size() - from);
  std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + available), out);
}

}  // namespace

bool parseTitlePicture(const std::string& fileBytes, TitlePicture* picture) {
  *picture = TitlePicture{};
  if (fileBytes.size() < kFileHeaderSize + kInfoHeaderSize) return false;
  const std::uint32_t fileSize = u32(fileBytes, 2);
  const std::uint32_t bitsOffset = u32(fileBytes, 10);
  const std::size_t info = kFileHeaderSize;
  const std::uint32_t headerSize = u32(fileBytes, info);
  const std::int32_t width = static_cast<std::int32_t>(u32(fileBytes, info + 4));
  const std::int32_t height = static_cast<std::int32_t>(u32(fileBytes, info + 8));
  const std::uint16_t bitCount = u16(fileBytes, info + 14);
  const std::uint32_t compression = u32(fileBytes, info + 16);

  // Later header versions start the same way; the colour table follows the
  // header whatever its size.
  if (headerSize < kInfoHeaderSize || headerSize > 1024) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    return false;
  }
  // Only plain pixel rows: the description block has no room for bit masks,
  // and compressed data could not be checked against the picture's size.
  if (compression != 0) return false;
  if (fileSize < bitsOffset || bitsOffset >= fileBytes.size()) return false;

  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
  const std::uint64_t needed = stride * rows;
  if (needed > kMaxTitlePictureBits) return false;

  const std::size_t colours = bitCount < 16 ? (std::size_t{1} << bitCount) : 0;
  picture->description.assign(kInfoHeaderSize + (colours != 0 ? 4 * colours : 4), 0);
  copyPadded(fileBytes, info, kInfoHeaderSize, picture->description.data());
  picture->description[0] = static_cast<std::uint8_t>(kInfoHeaderSize);  // a plain header
  picture->description[1] = picture->description[2] = picture->description[3] = 0;
  // The drawing code takes as many colours as the header's colour count says
  // (any count for deeper pictures): keep it within the table held here.
  const std::uint32_t colourCount = u32(fileBytes, info + 32);
  if (colours == 0 || colourCount > colours) {
    std::fill(picture->description.begin() + 32, picture->description.begin() + 36, 0);
  }
  if (colours != 0) {
    copyPadded(fileBytes, info + headerSize, 4 * colours,
               picture->description.data() + kInfoHeaderSize);
  }

  const std::uint64_t stored = fileSize - bitsOffset;
  const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(stored, needed));
  picture->bits.assign(static_cast<std::size_t>(std::max<std::uint64_t>(kept, needed)), 0);
  copyPadded(fileBytes, bitsOffset, kept, picture->bits.data());
  picture->width = width;
  picture->height = static_cast<int>(rows);
  return true;
}

}  // namespace quillet
