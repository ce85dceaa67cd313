#pragma once
// libtiff's PackBits encoder as a yardstick. libtiff has no per-row call; it
// encodes each row of a strip as a PackBits row of its own, so the rows are
// written as one strip of many rows into an in-memory TIFF, which keeps the
// file's own cost (open, tags, directory) to a small share of the time. The
// share is measured apart (the same strip uncompressed) and reported, never
// subtracted.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexmoor::bench {

class MemoryTiff {
 public:
  // Room for the file, so that no write in a timed loop grows the buffer.
  explicit MemoryTiff(std::size_t capacity) : data_(capacity) {}

  // Writes `rowCount` rows of rowLength bytes (8-bit samples, width
  // rowLength) as one strip. False when libtiff reports a failure.
  bool writeStrip(const std::uint8_t* rows, std::size_t rowLength, std::size_t rowCount, bool packBits);
  // Reads the file back: true when it holds one strip, PackBits compressed
  // when asked, that decodes to exactly the rows given.
  bool decodesTo(const std::uint8_t* rows, std::size_t rowLength, std::size_t rowCount, bool packBits);
  // Bytes of the encoded strip in the last file read back.
  std::size_t stripBytes() const { return stripBytes_; }

  std::vector<std::uint8_t> data_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;

 private:
  std::size_t stripBytes_ = 0;
};

}  // namespace vexmoor::bench
