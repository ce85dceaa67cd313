#include "raster/encode/command_stream.h"

#include <cstring>

#include "raster/encode/packbits.h"

namespace vexmoor {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kBel = 0x07;

// One command under construction: text appended piece by piece, then sent
// with one write of exactly its length (no terminating zero).
class Command {
 public:
  Command& byte(std::uint8_t b) {
    if (length_ < sizeof(text_)) text_[length_++] = b;
    return *this;
  }
  Command& text(const char* s) {
    while (*s) byte(static_cast<std::uint8_t>(*s++));
    return *this;
  }
  // Decimal with no padding; "-" only for negative values.
  Command& number(long long value) {
    char digits[24];
    int n = 0;
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
      digits[n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) byte('-');
    while (n > 0) byte(static_cast<std::uint8_t>(digits[--n]));
    return *this;
  }
  int send(ByteSink& sink) const { return sink.write(sink.context, text_, length_) == 0 ? 0 : -1; }

 private:
  std::uint8_t text_[256];
  std::uint32_t length_ = 0;
};

int sendMethod(ByteSink& sink, int method) {
  return Command().byte(kEsc).text("*b").number(method).byte('M').send(sink);
}

int sendTransfer(ByteSink& sink, std::size_t length, char kind) {
  return Command().byte(kEsc).text("*b").number(static_cast<long long>(length)).byte(static_cast<std::uint8_t>(kind)).send(sink);
}

int sendPayload(ByteSink& sink, const std::uint8_t* bytes, std::size_t length) {
  return sink.write(sink.context, bytes, static_cast<std::uint32_t>(length)) == 0 ? 0 : -1;
}

// A blank row compresses to full 127-repeats of zero and one shorter record
// (or a one-byte literal); built directly so that no zero row is needed.
std::size_t encodeBlankRow(std::size_t length, std::uint8_t* out) {
  std::size_t o = 0;
  while (length >= 127) {
    out[o++] = 0x82;
    out[o++] = 0x00;
    length -= 127;
  }
  if (length >= 2) {
    out[o++] = static_cast<std::uint8_t>(1 - static_cast<int>(length));
    out[o++] = 0x00;
  } else if (length == 1) {
    out[o++] = 0x00;
    out[o++] = 0x00;
  }
  return o;
}

// Sends one plane row: compressed when that beats `limit`, raw otherwise.
// `row` is null for a plane the band does not have (a blank row).
// `wentRaw` says whether the plane's previous row went raw, and is updated.
// Neighbouring rows compress alike; after a raw row, a row whose encoding
// cannot beat the limit (packBitsMinOutput, several times faster than
// encoding) goes raw without being encoded. Busy rows (error diffusion,
// grain, noise) mostly go raw, and their encoding is the costly part.
int sendPlaneRow(ByteSink& sink, const std::uint8_t* row, std::size_t rowLength,
                 std::uint8_t* compression, std::size_t limit, char kind, bool& wentRaw) {
  std::size_t n;
  if (row == nullptr)
    n = encodeBlankRow(rowLength, compression);
  else if (wentRaw && packBitsMinOutput(row, rowLength) >= limit)
    n = limit;
  else
    n = packBitsEncode(row, rowLength, compression);
  if (row != nullptr) wentRaw = n >= limit;
  if (n < limit) {
    if (sendMethod(sink, 2) != 0 || sendTransfer(sink, n, kind) != 0) return -1;
    return sendPayload(sink, compression, n);
  }
  if (row == nullptr) {
    // Only reachable for rows of a byte or two; the raw form of a blank row
    // is sent from the compression buffer.
    std::memset(compression, 0, rowLength);
    row = compression;
  }
  if (sendMethod(sink, 0) != 0 || sendTransfer(sink, rowLength, kind) != 0) return -1;
  return sendPayload(sink, row, rowLength);
}

}  // namespace

int writeJobStart(ByteSink& sink, int printMode, int rasterWidth, int bitsPerPixel) {
  const long long announcedWidth = static_cast<long long>(rasterWidth) * bitsPerPixel;
  if (Command().byte(kBel).text("Kavex_PM").send(sink) != 0) return -1;
  if (Command().text("*ID").number(250).byte(';').send(sink) != 0) return -1;
  if (Command().text("*TM").number(1).byte(';').send(sink) != 0) return -1;
  if (Command().text("*IP,").number(bitsPerPixel == 1 ? 1 : 2).byte(';').send(sink) != 0) return -1;
  if (Command().text("*PQ").number(printMode).byte(';').send(sink) != 0) return -1;
  if (Command().text("*FF").number(0).byte(';').send(sink) != 0) return -1;
  if (Command().byte(kEsc).byte('E').send(sink) != 0) return -1;
  if (Command().byte(kEsc).byte('%').number(0).byte('A').send(sink) != 0) return -1;
  if (Command().byte(kEsc).text("*r").number(announcedWidth).byte('S').send(sink) != 0) return -1;
  if (Command().byte(kEsc).text("*r-").number(kStreamPlanes).byte('U').send(sink) != 0) return -1;
  if (Command().byte(kEsc).text("*r").number(1).byte('A').send(sink) != 0) return -1;
  return 0;
}

int writeRows(ByteSink& sink, std::uint8_t* compression, std::size_t compressionSize,
              const std::uint8_t* const* planes, int planeCount, int rowLength, int rows) {
  if (rows <= 0) return 0;
  if (rowLength < 0 || planeCount < 0 || compression == nullptr ||
      (planeCount > 0 && planes == nullptr))
    return -1;
  const std::size_t length = static_cast<std::size_t>(rowLength);
  // The raw form of a missing plane's row may need length bytes too.
  if (compressionSize < packBitsMaxOutput(length) || compressionSize < length) return -1;
  // A plane other than the last goes compressed only when that saves more
  // than a fifth; the float product is truncated like the printer driver's.
  const std::size_t partLimit = static_cast<std::size_t>(rowLength * 0.8);
  const std::size_t lastLimit = length;

  static constexpr int kOrder[kStreamPlanes] = {3, 0, 1, 2};
  const std::uint8_t* rowOf[kStreamPlanes];
  for (int k = 0; k < kStreamPlanes; ++k)
    rowOf[k] = kOrder[k] < planeCount ? planes[kOrder[k]] : nullptr;

  bool wentRaw[kStreamPlanes] = {false, false, false, false};
  for (int r = 0; r < rows; ++r) {
    for (int k = 0; k < kStreamPlanes; ++k) {
      const bool last = k == kStreamPlanes - 1;
      if (sendPlaneRow(sink, rowOf[k], length, compression, last ? lastLimit : partLimit,
                       last ? 'W' : 'V', wentRaw[k]) != 0)
        return -1;
      if (rowOf[k]) rowOf[k] += length;
    }
  }
  return 0;
}

int writeJobEnd(ByteSink& sink) {
  if (Command().byte(kEsc).text("*rC").send(sink) != 0) return -1;
  if (Command().byte(kEsc).byte('%').number(0).byte('B').send(sink) != 0) return -1;
  if (Command().byte(kEsc).byte('E').send(sink) != 0) return -1;
  if (Command().text("PG;").send(sink) != 0) return -1;
  return 0;
}

}  // namespace vexmoor
