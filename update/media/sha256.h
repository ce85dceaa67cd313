#pragma once
// SHA-256 of a byte string, portable. The 32-bit build runs down to Windows
// XP SP2, whose cryptographic provider has no SHA-256, so the update tool
// and the checker carry their own (checked against the standard's examples
// in the native tests).
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillet {

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t size);
  // The digest as 64 lowercase hexadecimal digits, as sha256sum writes it.
  // The object is spent afterwards.
  std::string finishHex();

 private:
  void compress(const unsigned char* block);
  std::uint32_t state_[8];
  unsigned char block_[64];
  std::size_t used_ = 0;
  std::uint64_t length_ = 0;  // bytes so far
};

std::string sha256Hex(const std::string& bytes);

}  // namespace quillet
