#pragma once
// The start dialog's title picture: a bitmap file ("title.bmp") split into
// the two blocks the drawing code needs, the bitmap description (information
// header and colour table) and the pixel bits.
#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

struct TitlePicture {
  // The 40-byte information header followed by the colour table (4 bytes per
  // colour) for fewer than 16 bits per pixel; header and 4 spare bytes
  // otherwise. Empty while nothing is loaded.
  std::vector<std::uint8_t> description;
  // The pixel bits as stored in the file, padded with zeros to the size the
  // header implies, so that drawing never reads past them.
  std::vector<std::uint8_t> bits;
  int width = 0;
  int height = 0;  // always positive; top-down pictures are kept as such

  bool loaded() const { return !description.empty(); }
};

// Splits the bytes of a bitmap file; false (and an empty picture) when they
// are not an uncompressed bitmap that can be drawn.
bool parseTitlePicture(const std::string& fileBytes, TitlePicture* picture);

// Largest pixel block accepted (a title picture is a few hundred kilobytes).
constexpr std::uint64_t kMaxTitlePictureBits = 64u * 1024u * 1024u;

}  // namespace quillet
