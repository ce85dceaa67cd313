#pragma once
// The printer command stream: job start, raster rows, job end. Every command
// and every row payload is one write to the sink.
#include <cstddef>
#include <cstdint>

#include "raster/encode/byte_sink.h"

namespace vexmoor {

// Number of planes every raster row of the stream carries (K, C, M, Y).
constexpr int kStreamPlanes = 4;

// Writes the eleven job-start commands. Returns 0, or -1 at the first failed
// write (nothing further is written).
int writeJobStart(ByteSink& sink, int printMode, int rasterWidth, int bitsPerPixel);

// Writes `rows` raster rows. planes[i] points at the band's first row of
// plane i; rows are rowLength bytes apart. Each row sends planes 3, 0, 1, 2;
// a plane whose index is not below planeCount is sent as a blank row (it is
// never read), and planes beyond the fourth are not sent. compression is the
// work buffer for the compressed rows, compressionSize bytes long; it must
// hold packBitsMaxOutput(rowLength) bytes (2 * rowLength always does for the
// multiple-of-four row lengths of a job). Returns 0, or -1 at the first failed
// write, or without writing anything when the arguments are unusable.
int writeRows(ByteSink& sink, std::uint8_t* compression, std::size_t compressionSize,
              const std::uint8_t* const* planes, int planeCount, int rowLength, int rows);

// Writes the four job-end commands. Returns 0 or -1 as above.
int writeJobEnd(ByteSink& sink);

}  // namespace vexmoor
