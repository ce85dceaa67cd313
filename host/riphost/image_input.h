// Reads a CMYK or RGB picture (PNG or TIFF) into four 16-bit ink planes
// (C, M, Y, K; 65535 = full ink).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace riphost {

struct InkImage {
  int width = 0;
  int height = 0;
  std::vector<std::vector<std::uint8_t>> planes;  // 4 planes, little-endian 16-bit samples
};

bool readInkImage(const std::string& path, InkImage& image, std::string& error);

// Separates one RGB pixel (0..65535) into C, M, Y and K with full grey
// component replacement: K = 1 - max(R, G, B), the colours take the rest.
void separateRgb(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint16_t cmyk[4]);

}  // namespace riphost
