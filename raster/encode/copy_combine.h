// Combining rows of a copy bitmap into screened plane rows, and the in-place
// widening of 1-bit bitmap rows to the job's bit depth. Every function keeps
// inside the band row it is given: bits that would land past its end are cut.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Combines n packed data bytes into a band row of rowBytes bytes at bit
// position bitPos. On a byte boundary every data byte is XORed in. Otherwise,
// with s = bitPos mod 8, the first band byte is ORed with data[0] >> s, each
// following one XORed with (data[k] << (8 - s)) | (data[k + 1] >> s), and the
// byte after them XORed with data[n - 1] << (8 - s): n + 1 band bytes in all.
void combinePackedRow(std::uint8_t* row, std::size_t rowBytes, const std::uint8_t* data, std::size_t n,
                      std::uint64_t bitPos);

// XORs n data bytes into a band row of rowBytes bytes from byte bytePos
// (one byte per pixel).
void xorByteRow(std::uint8_t* row, std::size_t rowBytes, const std::uint8_t* data, std::size_t n,
                std::uint64_t bytePos);

// In place: the 1-bit pixels in the first outBytes / 2 bytes become outBytes
// bytes of 2-bit pixels (each bit doubled), working from the end.
void widenBits1To2(std::uint8_t* data, std::size_t outBytes);

// In place: the 1-bit pixels in the first outBytes / 8 bytes become outBytes
// bytes, 0xFF for a set bit and 0x00 for a clear one, working from the end.
void widenBits1To8(std::uint8_t* data, std::size_t outBytes);

}  // namespace vexmoor
