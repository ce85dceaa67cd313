#pragma once
// Minimal PNG writer (8-bit RGB) with stored, uncompressed deflate blocks, so
// that the tool needs no image or compression library on any platform.
#include <cstdint>
#include <string>
#include <vector>

namespace rtlview {

// rgb holds height rows of width * 3 bytes. Returns false when the file
// cannot be written.
bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height);

}  // namespace rtlview
