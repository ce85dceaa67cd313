// Stand-in for the host's ombrix library: Floyd-Steinberg error diffusion
// with serpentine scanning of 16-bit ink planes into bit-packed planes, at 1
// bit (two levels) or 2 bits (four levels: 0, 1/3, 2/3 and full ink) per
// pixel. The error of the last row carries into the next band.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "raster/job/host_contract.h"

namespace {

struct Diffusion {
  int bits;    // 1 or 2
  int levels;  // 2 or 4
  int inkCount;
  std::vector<std::vector<int>> carry;  // per ink: error for the next row, width + 2 entries
  std::vector<int> current;             // error of the row being diffused
  bool leftToRight = true;
};

Diffusion* open(int width, int inkCount, int bits, int levels) {
  if (width < 0 || inkCount < 1 || inkCount > 16) return nullptr;
  auto* d = new (std::nothrow) Diffusion;
  if (!d) return nullptr;
  d->bits = bits;
  d->levels = levels;
  d->inkCount = inkCount;
  d->carry.assign(std::size_t(inkCount), std::vector<int>(std::size_t(width) + 2, 0));
  return d;
}

inline int sample(const uint8_t* plane, std::size_t i) { return plane[2 * i] | (plane[2 * i + 1] << 8); }

inline void putPixel(uint8_t* row, int rowLength, int x, int bits, int value) {
  long long bit = (long long)x * bits;
  long long byte = bit / 8;
  if (x < 0 || byte >= rowLength) return;  // never outside the row
  int shift = 8 - bits - int(bit % 8);
  uint8_t mask = uint8_t(((1 << bits) - 1) << shift);
  row[byte] = uint8_t((row[byte] & ~mask) | ((value << shift) & mask));
}

int diffuse(Diffusion* d, int inkCount, void** converted, void** screened, int width, int rowLength, int lines,
            int leftOffset, char mirror) {
  if (!d || !converted || !screened || width < 0 || lines < 0 || rowLength < 0) return 0;
  inkCount = std::min(inkCount, d->inkCount);
  for (auto& c : d->carry)
    if (c.size() < std::size_t(width) + 2) c.resize(std::size_t(width) + 2, 0);
  const int maxLevel = d->levels - 1;
  const int step = 65535 / maxLevel;
  for (int row = 0; row < lines; ++row) {
    const bool forward = d->leftToRight;
    for (int ink = 0; ink < inkCount; ++ink) {
      auto* src = static_cast<const uint8_t*>(converted[ink]) + 2 * std::size_t(row) * std::size_t(width);
      auto* out = static_cast<uint8_t*>(screened[ink]) + std::size_t(row) * std::size_t(rowLength);
      std::vector<int>& next = d->carry[std::size_t(ink)];
      d->current.assign(next.begin(), next.end());
      std::fill(next.begin(), next.end(), 0);
      for (int k = 0; k < width; ++k) {
        int x = forward ? k : width - 1 - k;
        int dir = forward ? 1 : -1;
        int value = sample(src, std::size_t(x)) + d->current[std::size_t(x) + 1];
        int level = std::clamp((value + step / 2) / step, 0, maxLevel);
        int error = value - level * step;
        // 7/16 ahead, 3/16 behind below, 5/16 below, 1/16 ahead below.
        d->current[std::size_t(x + dir) + 1] += error * 7 / 16;
        next[std::size_t(x - dir) + 1] += error * 3 / 16;
        next[std::size_t(x) + 1] += error * 5 / 16;
        next[std::size_t(x + dir) + 1] += error / 16;
        int px = leftOffset + (mirror == 1 ? width - 1 - x : x);
        putPixel(out, rowLength, px, d->bits, level);
      }
    }
    d->leftToRight = !d->leftToRight;
  }
  return 1;
}

}  // namespace

extern "C" {

OMBRIX_API void* OpenErrdiff(int, int width, int inkCount) { return open(width, inkCount, 1, 2); }

OMBRIX_API void* OpenErrdiff4(int, int width, int inkCount, void* params) {
  int levels = 4;
  if (params) {
    int asked = static_cast<PlexorErrdiffParams*>(params)->levels;
    if (asked >= 2 && asked <= 4) levels = asked;
  }
  return open(width, inkCount, 2, levels);
}

OMBRIX_API int WriteErrdiff(void* handle, int inkCount, void** converted, void** screened, int width, int rowLength,
                            int lines, int leftOffset, char mirror) {
  return diffuse(static_cast<Diffusion*>(handle), inkCount, converted, screened, width, rowLength, lines, leftOffset,
                 mirror);
}

OMBRIX_API int WriteErrdiff4(void* handle, int inkCount, void** converted, void** screened, int width, int rowLength,
                             int lines, int leftOffset, char mirror) {
  return diffuse(static_cast<Diffusion*>(handle), inkCount, converted, screened, width, rowLength, lines, leftOffset,
                 mirror);
}

OMBRIX_API void CloseErrdiff(void* handle) { delete static_cast<Diffusion*>(handle); }
OMBRIX_API void CloseErrdiff4(void* handle) { delete static_cast<Diffusion*>(handle); }

}  // extern "C"
