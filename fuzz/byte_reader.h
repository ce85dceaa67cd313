#pragma once
// Takes little-endian fields from the front of a fuzz input; past its end
// every byte reads as zero, so any input is a complete one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plexor_fuzz {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t u16() { return static_cast<std::uint16_t>(u8() | u8() << 8); }
  bool empty() const { return at_ >= size_; }

  // count bytes: what the input still holds, then its first bytes again so
  // that large blocks are not all zero (or zeros when nothing is left).
  std::vector<std::uint8_t> bytes(std::size_t count) {
    std::vector<std::uint8_t> out(count, 0);
    std::size_t taken = 0;
    for (; taken < count && at_ < size_; ++taken) out[taken] = data_[at_++];
    for (std::size_t done = taken; taken != 0 && done < count; done *= 2) {
      std::copy_n(out.begin(), std::min(done, count - done), out.begin() + static_cast<std::ptrdiff_t>(done));
    }
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace plexor_fuzz
