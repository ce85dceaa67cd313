#pragma once
// The module's own screening: a threshold-matrix dither whose tiling carries
// on across bands, plus the in-place helpers around it.
#include <cstdint>

namespace vexmoor {

struct DitherMatrix {
  int rowCounter;              // rows screened with this matrix over the whole job
  int width;                   // W: columns of the matrix
  int height;                  // H: rows of the matrix
  int shift;                   // S: columns the tiling moves left per repetition downward
  std::int16_t* thresholds;    // W * H thresholds, row by row (own copy)
  // Per matrix row, the thresholds laid out for reading 16 columns at once
  // without wrapping: W + 16 values from column 0 on (column j holds column
  // j mod W), then the same W + 16 values in reverse order for mirrored rows.
  std::int16_t* unrolled;
};

// Copies the thresholds; null when width or height is not positive, shift is
// negative, thresholds is null or memory runs out.
DitherMatrix* createDitherMatrix(int width, int height, int shift, const std::int16_t* thresholds);
void freeDitherMatrix(DitherMatrix* m);

// Dithers `lines` rows of 8-bit samples (`width` per row, rows `width` bytes
// apart) into 1-bit rows `rowLength` bytes apart, the image starting at pixel
// leftOffset; with mirror the samples of each row are taken from right to
// left. A dot is set when sample >= threshold (signed). The first and last
// byte touched in a row are stored whole (bits outside the image are 0);
// nothing beyond rowLength bytes of a row is written. The matrix phase and
// rowCounter carry over to the next call.
void ditherBand(DitherMatrix& m, const std::uint8_t* samples, int width, int lines,
                std::uint8_t* out, int rowLength, int leftOffset, bool mirror);

// In place: byte k becomes the high byte of the little-endian 16-bit sample k.
void narrowTo8Bit(std::uint8_t* plane16, int samples);

// In place: widens a row holding 1 bit per pixel in its first rowLength / 2
// bytes to 2 bits per pixel (a dot becomes the value 3). Bytes from
// ceil(pageWidth / 8) to rowLength / 2 - 1 are cleared first.
void expandRow1To2(std::uint8_t* row, int rowLength, int pageWidth);

}  // namespace vexmoor
