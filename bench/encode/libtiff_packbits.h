#pragma once
// libtiff's PackBits encoder as a yardstick. libtiff has no per-row call, so
// rows are written as one-row strips of an in-memory TIFF; the same write
// without compression is measured separately and subtracted.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexmoor::bench {

class MemoryTiff {
 public:
  // Writes `rows` rows of rowLength bytes as strips of one in-memory TIFF
  // (8-bit samples, width rowLength, one row per strip). Returns false when
  // libtiff reports a failure.
  bool writeStrips(const std::uint8_t* rows, std::size_t rowLength, std::size_t rowCount, bool packBits);
  std::size_t bytesWritten() const { return size_; }

  std::vector<std::uint8_t> data_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
};

}  // namespace vexmoor::bench
