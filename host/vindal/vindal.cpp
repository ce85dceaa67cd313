// Stand-in for the host's vindal library: colour adjustment of 16-bit CMYK
// bands (ink amounts, 65535 = full ink).
//
// CMYK: per-ink tone curve (gamma) and a total ink limit that takes ink away
//   from C, M and Y in proportion (K is kept, it carries the detail).
// CMYK+Or+Gr: after the CMYK step, part of the overlap of M and Y (a red-
//   orange) is printed with orange ink instead: o = share * min(M, Y), taken
//   from both M and Y; likewise green takes share * min(C, Y) from C and Y.
//   Planes out: C, M, Y, K, Or, Gr.
// CMYK+Lc+Lm: after the CMYK step, cyan and magenta are split into dark and
//   light ink so that the printed density is kept: with r the light ink's
//   density, an amount c <= r is printed with light ink alone (c / r), above
//   it dark ink ramps up ((c - r) / (1 - r)) while light ink fades
//   (1 - dark), so dark + r * light = c. Planes out: C, M, Y, K, Lc, Lm.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "host/vindal/vindal_data.h"
#include "raster/job/host_contract.h"

namespace {

struct Adjust {
  uint16_t curve[4][256 + 1];  // piecewise linear tone curve, 257 knots per ink
  double inkLimit;             // in full-ink units
  double orangeShare, greenShare, lightDensity;
};

Adjust* openAdjust(void* data) {
  VindalAdjustData d;
  vindalDefaultAdjustData(&d);
  if (data && std::memcmp(data, "VDCA", 4) == 0) std::memcpy(&d, data, sizeof d);
  auto* a = new (std::nothrow) Adjust;
  if (!a) return nullptr;
  for (int ink = 0; ink < 4; ++ink) {
    double gamma = d.gammaMilli[ink] ? d.gammaMilli[ink] / 1000.0 : 1.0;
    for (int k = 0; k <= 256; ++k) a->curve[ink][k] = uint16_t(std::lround(65535.0 * std::pow(k / 256.0, gamma)));
  }
  a->inkLimit = d.inkLimit ? d.inkLimit / 100.0 : 4.0;
  a->orangeShare = d.orangeShare / 1000.0;
  a->greenShare = d.greenShare / 1000.0;
  a->lightDensity = std::clamp(d.lightDensity / 1000.0, 0.05, 0.95);
  return a;
}

inline uint16_t load(const void* plane, std::size_t i) {
  auto* b = static_cast<const uint8_t*>(plane) + 2 * i;
  return uint16_t(b[0] | (b[1] << 8));
}

inline void store(void* plane, std::size_t i, double amount) {
  long v = std::lround(std::clamp(amount, 0.0, 1.0) * 65535.0);
  auto* b = static_cast<uint8_t*>(plane) + 2 * i;
  b[0] = uint8_t(v);
  b[1] = uint8_t(v >> 8);
}

double applyCurve(const Adjust& a, int ink, uint16_t v) {
  double t = v * (256.0 / 65535.0);  // 0 .. 256, so that full ink stays full
  int k = std::min(int(t), 255);
  double f = t - k;
  return (a.curve[ink][k] + (a.curve[ink][k + 1] - a.curve[ink][k]) * f) / 65535.0;
}

// The CMYK step for one pixel: curves, then the ink limit on C, M and Y.
void adjustPixel(const Adjust& a, void** planes, int planeCount, std::size_t i, double cmyk[4]) {
  for (int ink = 0; ink < 4; ++ink) cmyk[ink] = ink < planeCount ? applyCurve(a, ink, load(planes[ink], i)) : 0.0;
  double total = cmyk[0] + cmyk[1] + cmyk[2] + cmyk[3];
  if (total > a.inkLimit) {
    double colour = cmyk[0] + cmyk[1] + cmyk[2];
    double room = std::max(0.0, a.inkLimit - cmyk[3]);
    double scale = colour > 0 ? room / colour : 0.0;
    for (int ink = 0; ink < 3; ++ink) cmyk[ink] *= scale;
  }
}

void splitLight(double amount, double r, double* dark, double* light) {
  if (amount <= r) {
    *dark = 0;
    *light = amount / r;
  } else {
    *dark = (amount - r) / (1 - r);
    *light = 1 - *dark;
  }
}

// The six-ink conversions: the CMYK step for every pixel, then `mix` makes
// the six output amounts of it, stored into the first inkCount planes.
template <typename Mix>
int convertBand(void* handle, void** planes, int width, int lines, int planeCount, void** converted, int inkCount,
                Mix mix) {
  if (!handle || !planes || !converted || width < 0 || lines < 0 || inkCount < 4) return 0;
  const Adjust& a = *static_cast<Adjust*>(handle);
  const std::size_t pixels = std::size_t(width) * std::size_t(lines);
  for (std::size_t i = 0; i < pixels; ++i) {
    double c[4];
    adjustPixel(a, planes, std::min(planeCount, 4), i, c);
    double out[6];
    mix(a, c, out);
    for (int ink = 0; ink < std::min(inkCount, 6); ++ink) store(converted[ink], i, out[ink]);
  }
  return 1;
}

}  // namespace

extern "C" {

VINDAL_API void* OpenColorAdjust_CMYK(void* data) { return openAdjust(data); }
VINDAL_API void* OpenColorAdjust_CMYKOrGr(void* data) { return openAdjust(data); }
VINDAL_API void* OpenColorAdjust_CMYKLcLm(void* data) { return openAdjust(data); }

VINDAL_API int WriteColorAdjust_CMYK_old(void* handle, void** planes, int width, int lines, int planeCount) {
  if (!handle || !planes || width < 0 || lines < 0) return 0;
  const Adjust& a = *static_cast<Adjust*>(handle);
  const std::size_t pixels = std::size_t(width) * std::size_t(lines);
  int inks = std::min(planeCount, 4);
  for (std::size_t i = 0; i < pixels; ++i) {
    double cmyk[4];
    adjustPixel(a, planes, inks, i, cmyk);
    for (int ink = 0; ink < inks; ++ink) store(planes[ink], i, cmyk[ink]);
  }
  return 1;
}

VINDAL_API int WriteColorAdjust_CMYKOrGr(void* handle, void** planes, int width, int lines, int planeCount,
                                         void** converted, int inkCount) {
  return convertBand(handle, planes, width, lines, planeCount, converted, inkCount,
                     [](const Adjust& a, double c[4], double out[6]) {
                       double orange = a.orangeShare * std::min(c[1], c[2]);
                       c[1] -= orange;
                       c[2] -= orange;
                       double green = a.greenShare * std::min(c[0], c[2]);
                       c[0] -= green;
                       c[2] -= green;
                       out[0] = c[0], out[1] = c[1], out[2] = c[2], out[3] = c[3];
                       out[4] = orange, out[5] = green;
                     });
}

VINDAL_API int WriteColorAdjust_CMYKLcLm(void* handle, void** planes, int width, int lines, int planeCount,
                                         void** converted, int inkCount) {
  return convertBand(handle, planes, width, lines, planeCount, converted, inkCount,
                     [](const Adjust& a, double c[4], double out[6]) {
                       // Dark C and M, Y, K, then light C and M.
                       splitLight(c[0], a.lightDensity, &out[0], &out[4]);
                       splitLight(c[1], a.lightDensity, &out[1], &out[5]);
                       out[2] = c[2], out[3] = c[3];
                     });
}

VINDAL_API void CloseColorAdjust_CMYK(void* handle) { delete static_cast<Adjust*>(handle); }
VINDAL_API void CloseColorAdjust_CMYKOrGr(void* handle) { delete static_cast<Adjust*>(handle); }
VINDAL_API void CloseColorAdjust_CMYKLcLm(void* handle) { delete static_cast<Adjust*>(handle); }

// The error-diffusion record: ink count and four output levels.
static int fillErrdiffParams(void* colorAdjust, void* record, int inkCount) {
  if (!colorAdjust || !record) return 0;
  auto* p = static_cast<PlexorErrdiffParams*>(record);
  p->inkCount = inkCount;
  p->levels = 4;
  return 1;
}

VINDAL_API int GetErrorDiffParam(void* colorAdjust, void* record) { return fillErrdiffParams(colorAdjust, record, 4); }
VINDAL_API int GetErrorDiffParam_LcLm(void* colorAdjust, void* record) {
  return fillErrdiffParams(colorAdjust, record, 6);
}

}  // extern "C"
