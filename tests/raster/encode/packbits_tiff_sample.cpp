// Writes PackBits rows from this encoder as strips of small TIFF files, so
// that outside decoders (libtiff, Pillow) can check them:
//   packbits_tiff_sample DIR
// For each set of rows: DIR/<name>.tif (8-bit grey, ImageWidth = bytes per
// row, one row per strip, compression 32773) and DIR/<name>.raw (the rows).
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "raster/encode/packbits.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

bool writeFile(const std::string& path, const Bytes& data) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

// Little-endian TIFF: header, the compressed strips, the two strip tables,
// then the directory.
Bytes tiff(const std::vector<Bytes>& rows, std::size_t width) {
  Bytes t = {'I', 'I', 42, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> offsets, counts;
  Bytes packed(vexmoor::packBitsBound(width));
  for (const Bytes& row : rows) {
    const std::size_t n = vexmoor::packBitsEncode(row.data(), row.size(), packed.data());
    offsets.push_back(static_cast<std::uint32_t>(t.size()));
    counts.push_back(static_cast<std::uint32_t>(n));
    t.insert(t.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n));
    if (t.size() % 2) t.push_back(0);
  }
  const auto table = [&t](const std::vector<std::uint32_t>& v) {
    const auto at = static_cast<std::uint32_t>(t.size());
    for (std::uint32_t x : v) put32(t, x);
    return at;
  };
  const std::uint32_t offsetTable = table(offsets), countTable = table(counts);
  const auto ifd = static_cast<std::uint32_t>(t.size());
  set32(t, 4, ifd);
  const auto n = static_cast<std::uint32_t>(rows.size());
  struct Entry { unsigned tag, type; std::uint32_t count, value; };
  const std::vector<Entry> entries = {
      {256, 4, 1, static_cast<std::uint32_t>(width)},  // ImageWidth
      {257, 4, 1, n},                                  // ImageLength
      {258, 3, 1, 8},                                  // BitsPerSample
      {259, 3, 1, 32773},                              // Compression: PackBits
      {262, 3, 1, 1},                                  // Photometric: min-is-black
      {273, 4, n, n == 1 ? offsets[0] : offsetTable},  // StripOffsets
      {277, 3, 1, 1},                                  // SamplesPerPixel
      {278, 4, 1, 1},                                  // RowsPerStrip
      {279, 4, n, n == 1 ? counts[0] : countTable},    // StripByteCounts
      {284, 3, 1, 1},                                  // PlanarConfiguration
  };
  put16(t, static_cast<unsigned>(entries.size()));
  for (const Entry& e : entries) {
    put16(t, e.tag);
    put16(t, e.type);
    put32(t, e.count);
    if (e.type == 3 && e.count == 1) {
      put16(t, e.value);
      put16(t, 0);
    } else {
      put32(t, e.value);
    }
  }
  put32(t, 0);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: packbits_tiff_sample DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::mt19937 rng(42);
  std::vector<std::pair<std::string, std::vector<Bytes>>> sets;

  // Rows of 1000 bytes in many shapes, including the record limits.
  std::vector<Bytes> mixed;
  const std::size_t width = 1000;
  mixed.push_back(Bytes(width, 0));
  mixed.push_back(Bytes(width, 0xFF));
  for (int kind = 0; kind < 40; ++kind) {
    Bytes row(width);
    const unsigned keep = static_cast<unsigned>(kind * 5 % 100), alphabet = 1 + static_cast<unsigned>(kind % 6);
    std::uint8_t cur = 0;
    for (auto& b : row) {
      if (rng() % 100 >= keep) cur = static_cast<std::uint8_t>(rng() % alphabet * 51);
      b = cur;
    }
    mixed.push_back(row);
  }
  Bytes ramp(width);
  for (std::size_t k = 0; k < width; ++k) ramp[k] = static_cast<std::uint8_t>(k);
  mixed.push_back(ramp);
  Bytes literalThenRun(width);
  for (std::size_t k = 0; k < width; ++k) literalThenRun[k] = static_cast<std::uint8_t>(k < 127 ? k % 2 : 9);
  mixed.push_back(literalThenRun);
  Bytes pairs(width);
  for (std::size_t k = 0; k < width; ++k) pairs[k] = static_cast<std::uint8_t>(k % 3 == 2 ? 0x42 : 0x41);
  mixed.push_back(pairs);
  sets.push_back({"mixed1000", mixed});

  // Long printer rows.
  std::vector<Bytes> wide;
  for (int kind = 0; kind < 4; ++kind) {
    Bytes row(9600, 0);
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (kind == 0 && rng() % 40 == 0) row[k] = static_cast<std::uint8_t>(0x80 >> (rng() % 8));
      if (kind == 1) row[k] = static_cast<std::uint8_t>(rng());
      if (kind == 2) row[k] = static_cast<std::uint8_t>(120 + rng() % 4);
      if (kind == 3) row[k] = (k / 300) % 2 ? 0xAA : 0x00;
    }
    wide.push_back(row);
  }
  sets.push_back({"wide9600", wide});

  // The short example rows, each as its own image.
  const std::vector<Bytes> examples = {{0x41}, {0x41, 0x41}, {0x41, 0x42}, {0x41, 0x41, 0x42}, {0x41, 0x42, 0x42},
                                       {1, 1, 2, 3}, {1, 2, 2, 3}, Bytes(100, 0), Bytes(127, 0), Bytes(128, 0),
                                       Bytes(255, 0), Bytes(300, 0)};
  for (std::size_t k = 0; k < examples.size(); ++k) sets.push_back({"example" + std::to_string(k), {examples[k]}});

  for (const auto& [name, rows] : sets) {
    Bytes raw;
    for (const Bytes& r : rows) raw.insert(raw.end(), r.begin(), r.end());
    if (!writeFile(dir + "/" + name + ".tif", tiff(rows, rows[0].size())) || !writeFile(dir + "/" + name + ".raw", raw)) {
      std::fprintf(stderr, "packbits_tiff_sample: cannot write %s\n", name.c_str());
      return 1;
    }
  }
  std::printf("%zu TIFF files written\n", sets.size());
  return 0;
}
