#pragma once
// Decoder of the printer command stream, written apart from the encoder so
// that it can check the encoder's output: job header, raster rows (raw and
// PackBits), job trailer. Every problem is recorded with its byte offset.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rtlview {

struct Problem {
  std::size_t offset;
  std::string message;
};

struct DecodedStream {
  // From the job header.
  int printMode = -1;
  int bitsPerPixel = 0;          // from "*IP,n;": 1 or 2
  long rasterWidthBits = 0;      // the raster-width command's value (pixels x bits per pixel)
  int planes = 0;                // announced plane count
  // Raster data: planeRows[k] holds every row of the k-th plane sent in a
  // row (K, C, M, Y for a four-plane stream), rowBytes bytes per row.
  std::size_t rowBytes = 0;
  std::size_t rows = 0;
  std::vector<std::vector<std::uint8_t>> planeRows;
  // Statistics.
  std::size_t compressedTransfers = 0;
  std::size_t rawTransfers = 0;
  bool trailerSeen = false;
  std::vector<Problem> problems;

  bool clean() const { return problems.empty(); }
  long pixelsPerRow() const { return bitsPerPixel > 0 ? rasterWidthBits / bitsPerPixel : 0; }
};

// Decodes a whole stream (spool documents concatenated).
DecodedStream decodeStream(const std::uint8_t* data, std::size_t size);

// PackBits decoding of one transfer. Appends to out; returns false with a
// message and the offset (relative to data) of the bad record when a record
// runs past the end of the data, uses a header the encoder never writes (0x80
// or 0x81), or the row grows beyond maxOut bytes.
bool decodePackBits(const std::uint8_t* data, std::size_t size, std::size_t maxOut,
                    std::vector<std::uint8_t>& out, std::size_t& badOffset, std::string& message);

}  // namespace rtlview
