// Writes the command stream of a test picture, the way a job sends it, for
// the command-line checks of rtlview:
//   encode_sample_stream PREFIX [--bpp 1|2] [--mirror] [--documents N]
//                        [--width W] [--height H]
// Files: PREFIX.doc<k>.prn (the spool documents, split between bands) and
// PREFIX.plane<i>.raw (the rows of job plane i exactly as they were sent).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "raster/encode/command_stream.h"
#include "raster/encode/dither.h"
#include "raster/encode/mirror.h"
#include "tests/raster/encode/bayer_thresholds.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct FileSink {
  std::FILE* file = nullptr;
  static int write(void* context, const void* bytes, std::uint32_t length) {
    auto* self = static_cast<FileSink*>(context);
    return std::fwrite(bytes, 1, length, self->file) == length ? 0 : -1;
  }
};

// The test picture as ink amounts 0..255 for C, M, Y, K: a hue sweep across,
// darker downward, with a black "F" in the top left that shows the page's
// orientation, and a white margin.
void picture(int x, int y, int w, int h, std::uint8_t ink[4]) {
  const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
  double rgb[3];
  for (int c = 0; c < 3; ++c) rgb[c] = 0.5 + 0.5 * std::cos(6.2831853 * (u - c / 3.0));
  for (double& c : rgb) c = c * (1.0 - 0.6 * v) + 0.15 * (1.0 - v);
  const int fx = x - w / 10, fy = y - h / 10, fs = std::max(4, h / 5);
  const bool inF = fx >= 0 && fy >= 0 && fx < fs / 2 && fy < fs &&
                   (fx < fs / 8 || fy < fs / 8 || (fy >= fs * 7 / 16 && fy < fs * 9 / 16 && fx < fs * 3 / 8));
  const bool margin = x < w / 40 || y < h / 40 || x >= w - w / 40 || y >= h - h / 40;
  if (margin) rgb[0] = rgb[1] = rgb[2] = 1.0;
  const double k = inF ? 1.0 : 1.0 - std::max(rgb[0], std::max(rgb[1], rgb[2]));
  for (int c = 0; c < 3; ++c) {
    const double amount = k >= 1.0 ? 0.0 : (1.0 - std::min(1.0, rgb[c]) - k) / (1.0 - k);
    ink[c] = static_cast<std::uint8_t>(std::lround(255.0 * std::max(0.0, std::min(1.0, amount))));
  }
  ink[3] = static_cast<std::uint8_t>(std::lround(255.0 * std::max(0.0, std::min(1.0, k))));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: encode_sample_stream PREFIX [--bpp 1|2] [--mirror] [--documents N] [--width W] [--height H]\n");
    return 2;
  }
  const std::string prefix = argv[1];
  int bpp = 1, documents = 1, width = 600, height = 400;
  bool mirror = false;
  for (int a = 2; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--mirror") mirror = true;
    else if (a + 1 < argc && arg == "--bpp") bpp = std::atoi(argv[++a]);
    else if (a + 1 < argc && arg == "--documents") documents = std::atoi(argv[++a]);
    else if (a + 1 < argc && arg == "--width") width = std::atoi(argv[++a]);
    else if (a + 1 < argc && arg == "--height") height = std::atoi(argv[++a]);
    else {
      std::fprintf(stderr, "encode_sample_stream: bad argument %s\n", arg.c_str());
      return 2;
    }
  }
  if ((bpp != 1 && bpp != 2) || documents < 1 || width < 1 || height < 1) return 2;

  const int rowLength = bpp * ((width + 31) / 32) * 4;
  const int bandLines = 16;
  // One 8 x 8 Bayer matrix, shifted differently for each ink.
  std::int16_t bayer[64];
  vexmoor::testing::bayerThresholds8x8(bayer);
  vexmoor::DitherMatrix* matrices[4];
  for (int i = 0; i < 4; ++i) matrices[i] = vexmoor::createDitherMatrix(8, 8, 2 * i + 1, bayer);

  std::vector<Bytes> sent(4);
  Bytes samples(static_cast<std::size_t>(width) * bandLines);
  Bytes planes[4], scratch(static_cast<std::size_t>(rowLength) * bandLines);
  for (auto& p : planes) p.assign(scratch.size(), 0);
  Bytes compression(2 * static_cast<std::size_t>(rowLength));

  int document = 0;
  FileSink out;
  auto open = [&](int k) {
    const std::string name = prefix + ".doc" + std::to_string(k) + ".prn";
    out.file = std::fopen(name.c_str(), "wb");
    return out.file != nullptr;
  };
  if (!open(0)) return 1;
  vexmoor::ByteSink sink{FileSink::write, &out};
  if (vexmoor::writeJobStart(sink, 4, width, bpp) != 0) return 1;
  const int rowsPerDocument = (height + documents - 1) / documents;
  int rowsInDocument = 0;
  for (int first = 0; first < height; first += bandLines) {
    const int lines = std::min(bandLines, height - first);
    for (int ink = 0; ink < 4; ++ink) {
      for (int y = 0; y < lines; ++y)
        for (int x = 0; x < width; ++x) {
          std::uint8_t amounts[4];
          picture(x, first + y, width, height, amounts);
          samples[static_cast<std::size_t>(y) * width + x] = amounts[ink];
        }
      std::fill(planes[ink].begin(), planes[ink].end(), 0);
      vexmoor::ditherBand(*matrices[ink], samples.data(), width, lines, planes[ink].data(), rowLength, 0, false);
      if (bpp == 2)
        for (int y = 0; y < lines; ++y) vexmoor::expandRow1To2(planes[ink].data() + y * rowLength, rowLength, width);
      if (mirror)
        vexmoor::mirrorPlane(planes[ink].data(), scratch.data(), lines, rowLength, width, bpp, planes[ink].size());
      sent[ink].insert(sent[ink].end(), planes[ink].begin(), planes[ink].begin() + lines * rowLength);
    }
    const std::uint8_t* pointers[4] = {planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data()};
    if (vexmoor::writeRows(sink, compression.data(), compression.size(), pointers, 4, rowLength, lines) != 0) return 1;
    rowsInDocument += lines;
    if (rowsInDocument >= rowsPerDocument && first + lines < height) {
      std::fclose(out.file);
      rowsInDocument = 0;
      if (!open(++document)) return 1;
    }
  }
  if (vexmoor::writeJobEnd(sink) != 0) return 1;
  std::fclose(out.file);
  for (auto* m : matrices) vexmoor::freeDitherMatrix(m);
  for (int i = 0; i < 4; ++i) {
    const std::string name = prefix + ".plane" + std::to_string(i) + ".raw";
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr || std::fwrite(sent[i].data(), 1, sent[i].size(), f) != sent[i].size()) return 1;
    std::fclose(f);
  }
  std::printf("%d document(s), %d rows of %d bytes\n", document + 1, height, rowLength);
  return 0;
}
