#pragma once
// PackBits encoding of one plane row, byte for byte as the printer expects it.
//
// Records: a literal record is a header 0..127 followed by header+1 input
// bytes; a repeat record is a header 0x82..0xFF (-126..-1) followed by one
// byte standing for 1-header copies (2..127). Two equal bytes always start a
// repeat record; a repeat record holds at most 127 copies and the byte after a
// full one always opens a new record; a literal record holds at most 128
// bytes, and when it has taken 127 single bytes it takes the next byte as its
// 128th even if that byte starts a run.
#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Largest output packBitsEncode can produce for len input bytes (a row of
// "a a b" groups costs 4 bytes per 3).
constexpr std::size_t packBitsMaxOutput(std::size_t len) { return (4 * len + 2) / 3; }

// Buffer size callers allocate; never more than 2 * len for len >= 4.
constexpr std::size_t packBitsBound(std::size_t len) { return packBitsMaxOutput(len) + 2; }

// Encodes len bytes of in into out and returns the number of bytes of the
// encoded row. out must hold packBitsMaxOutput(len) bytes; the encoder copies
// in 16-byte blocks, so bytes after the encoded row, within that bound, may
// be overwritten. Nothing outside in[0, len) is read. No state is kept
// between calls.
std::size_t packBitsEncode(const std::uint8_t* in, std::size_t len, std::uint8_t* out);

// A lower bound of packBitsEncode's length for the same row, found without
// writing anything and many times faster: one header per record, one byte
// per single byte, two per run. It is the exact length unless a run or a
// stretch of single bytes reaches 127 bytes. Reads only in[0, len).
std::size_t packBitsMinOutput(const std::uint8_t* in, std::size_t len);

}  // namespace vexmoor
