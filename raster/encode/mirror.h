#pragma once
// Left-to-right mirroring of screened planes.
#include <cstddef>
#include <cstdint>

namespace vexmoor {

// Mirrors the first pageWidth pixels of each of `rows` rows of a plane (pixel
// x goes to pageWidth - 1 - x; a pixel is 1 bit, a 2-bit pair kept in its own
// order, or a byte) by writing the reversed rows into scratch and copying
// them back. Bits after the page width in each row come back as 0. Other bit
// depths leave the plane as it is. Stays inside `capacity` bytes of plane and
// scratch (rows that do not fit are not touched) and inside rowLength bytes of
// each row (a page width that does not fit is cut to the row).
void mirrorPlane(std::uint8_t* plane, std::uint8_t* scratch, int rows, int rowLength,
                 int pageWidth, int bitsPerPixel, std::size_t capacity);

// One pass that leaves dst as copying `rows` rows of src into it and then
// mirroring it with mirrorPlane would (for other bit depths: the copy). src
// and dst hold rows x rowLength bytes and do not overlap.
void mirrorPlaneInto(const std::uint8_t* src, std::uint8_t* dst, int rows, int rowLength, int pageWidth,
                     int bitsPerPixel);

// Reverses one row of pageWidth pixels from src into dst (both rowLength
// bytes, not overlapping); the scratch-free core of mirrorPlane.
void mirrorRow(const std::uint8_t* src, std::uint8_t* dst, int rowLength, int pageWidth,
               int bitsPerPixel);

// The ways of reversing bytes that mirrorRow chooses from: the fastest one
// the processor has. Each gives the same bytes; exposed for the tests and the
// benchmark.
enum class MirrorPath { kPlain, kSse2, kSsse3, kAvx2 };
bool mirrorPathAvailable(MirrorPath path);
void mirrorRowUsing(MirrorPath path, const std::uint8_t* src, std::uint8_t* dst, int rowLength, int pageWidth,
                    int bitsPerPixel);

}  // namespace vexmoor
