#include "bench/encode/row_kinds.h"

#include <cmath>
#include <random>

#include "raster/encode/dither.h"
#include "tests/raster/encode/bayer_thresholds.h"

namespace vexmoor::bench {
namespace {

// A continuous-tone page area: a slow gradient with gentle waves, the kind
// of content that error diffusion and dither turn into busy dot rows.
double tone(std::size_t x, std::size_t y, std::size_t width) {
  const double across = static_cast<double>(x) / static_cast<double>(width);
  return 255.0 * (0.15 + 0.7 * across) + 30.0 * std::sin(static_cast<double>(x) / 300.0 + static_cast<double>(y) / 40.0);
}

std::vector<std::uint8_t> errorDiffused(std::size_t rowLength, std::size_t rows) {
  const std::size_t width = rowLength * 8;
  std::vector<std::uint8_t> out(rowLength * rows, 0);
  std::vector<double> errors(width + 2, 0.0), next(width + 2, 0.0);
  for (std::size_t y = 0; y < rows; ++y) {
    std::fill(next.begin(), next.end(), 0.0);
    for (std::size_t x = 0; x < width; ++x) {
      // Ink coverage: dark tone means many dots.
      const double want = 255.0 - tone(x, y, width) + errors[x + 1];
      const bool dot = want >= 128.0;
      const double err = want - (dot ? 255.0 : 0.0);
      errors[x + 2] += err * 7 / 16;
      next[x] += err * 3 / 16;
      next[x + 1] += err * 5 / 16;
      next[x + 2] += err * 1 / 16;
      if (dot) out[y * rowLength + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    errors.swap(next);
  }
  return out;
}

std::vector<std::uint8_t> orderedDither2Bit(std::size_t rowLength, std::size_t rows) {
  // 8 x 8 Bayer thresholds, shifted by 3 columns per repetition.
  std::int16_t thresholds[64];
  vexmoor::testing::bayerThresholds8x8(thresholds);
  DitherMatrix* matrix = createDitherMatrix(8, 8, 3, thresholds);
  const std::size_t width = rowLength * 4;  // 2-bit pixels
  std::vector<std::uint8_t> samples(width);
  std::vector<std::uint8_t> out(rowLength * rows, 0);
  for (std::size_t y = 0; y < rows; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const double t = tone(x, y, width);
      samples[x] = static_cast<std::uint8_t>(t < 0 ? 0 : (t > 255 ? 255 : t));
    }
    std::uint8_t* row = &out[y * rowLength];
    ditherBand(*matrix, samples.data(), static_cast<int>(width), 1, row, static_cast<int>(rowLength), 0, false);
    expandRow1To2(row, static_cast<int>(rowLength), static_cast<int>(width));
  }
  freeDitherMatrix(matrix);
  return out;
}

}  // namespace

const std::vector<RowKind>& allRowKinds() {
  static const std::vector<RowKind> kinds = {RowKind::kBlank,       RowKind::kSparseDots,
                                             RowKind::kErrorDiffused1Bit, RowKind::kOrderedDither2Bit,
                                             RowKind::kGrainy8Bit,  RowKind::kRandom8Bit};
  return kinds;
}

std::string rowKindName(RowKind kind) {
  switch (kind) {
    case RowKind::kBlank: return "blank";
    case RowKind::kSparseDots: return "sparse_dots";
    case RowKind::kErrorDiffused1Bit: return "error_diffused_1bit";
    case RowKind::kOrderedDither2Bit: return "ordered_dither_2bit";
    case RowKind::kGrainy8Bit: return "grainy_8bit";
    case RowKind::kRandom8Bit: return "random_8bit";
  }
  return "unknown";
}

std::vector<std::uint8_t> makeRows(RowKind kind, std::size_t rowLength, std::size_t rows) {
  std::mt19937 rng(12345);
  std::vector<std::uint8_t> out(rowLength * rows, 0);
  switch (kind) {
    case RowKind::kBlank:
      break;
    case RowKind::kSparseDots:
      // About one dot per 40 bytes, as in a light tint or a text edge.
      for (auto& b : out)
        if (rng() % 40 == 0) b = static_cast<std::uint8_t>(0x80 >> (rng() % 8));
      break;
    case RowKind::kErrorDiffused1Bit:
      return errorDiffused(rowLength, rows);
    case RowKind::kOrderedDither2Bit:
      return orderedDither2Bit(rowLength, rows);
    case RowKind::kGrainy8Bit: {
      std::normal_distribution<double> grain(0.0, 4.0);
      for (std::size_t y = 0; y < rows; ++y)
        for (std::size_t x = 0; x < rowLength; ++x) {
          const double v = tone(x, y, rowLength) + grain(rng);
          out[y * rowLength + x] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
      break;
    }
    case RowKind::kRandom8Bit:
      for (auto& b : out) b = static_cast<std::uint8_t>(rng());
      break;
  }
  return out;
}

}  // namespace vexmoor::bench
