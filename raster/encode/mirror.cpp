#include "raster/encode/mirror.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vexmoor {
namespace {

std::uint64_t loadBigEndian(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return v;
#else
  return __builtin_bswap64(v);
#endif
}

void storeBigEndian(std::uint8_t* p, std::uint64_t v) {
#if !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
  v = __builtin_bswap64(v);
#endif
  std::memcpy(p, &v, 8);
}

// Reverses the order of the pixels inside every byte of v: bits for 1-bit
// pixels, 2-bit pairs for 2-bit pixels, nothing for bytes.
std::uint64_t reverseUnits(std::uint64_t v, int bitsPerPixel) {
  if (bitsPerPixel == 1)
    v = ((v >> 1) & 0x5555555555555555ULL) | ((v & 0x5555555555555555ULL) << 1);
  if (bitsPerPixel <= 2) {
    v = ((v >> 2) & 0x3333333333333333ULL) | ((v & 0x3333333333333333ULL) << 2);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((v & 0x0F0F0F0F0F0F0F0FULL) << 4);
  }
  return v;
}

#if defined(__SSE2__)
// 16 bytes in reverse order, the pixels inside each byte reversed too.
inline __m128i reverse16(__m128i v, int bitsPerPixel) {
  v = _mm_shuffle_epi32(v, 0x1B);
  v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
  v = _mm_or_si128(_mm_srli_epi16(v, 8), _mm_slli_epi16(v, 8));
  if (bitsPerPixel == 1) {
    const __m128i m1 = _mm_set1_epi8(0x55);
    v = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 1), m1), _mm_slli_epi16(_mm_and_si128(v, m1), 1));
  }
  if (bitsPerPixel <= 2) {
    const __m128i m2 = _mm_set1_epi8(0x33), m4 = _mm_set1_epi8(0x0F);
    v = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 2), m2), _mm_slli_epi16(_mm_and_si128(v, m2), 2));
    v = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 4), m4), _mm_slli_epi16(_mm_and_si128(v, m4), 4));
  }
  return v;
}
#endif

}  // namespace

void mirrorRow(const std::uint8_t* src, std::uint8_t* dst, int rowLength, int pageWidth,
               int bitsPerPixel) {
  if (rowLength <= 0) return;
  const long long rowPixels = static_cast<long long>(rowLength) * 8 / bitsPerPixel;
  const long long pixels = pageWidth < 0 ? 0 : (pageWidth > rowPixels ? rowPixels : pageWidth);
  const long long bits = pixels * bitsPerPixel;
  const std::size_t used = static_cast<std::size_t>((bits + 7) / 8);
  // Reverse whole bytes: the row's last used byte comes first. The pixels
  // then sit `pad` bits too far right when the page ends inside a byte.
  std::size_t j = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; j + 16 <= used; j += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + used - 16 - j));
    // Blank stretches, common on a page, need no reversing.
    const bool blank = _mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) == 0xFFFF;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), blank ? zero : reverse16(v, bitsPerPixel));
  }
#endif
  for (; j + 8 <= used; j += 8) {
    // bytes src[used-8-j .. used-1-j] reversed in order: read little-endian
    // and store big-endian.
    std::uint64_t v;
    std::memcpy(&v, src + used - 8 - j, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    storeBigEndian(dst + j, reverseUnits(v, bitsPerPixel));
  }
  for (; j < used; ++j)
    dst[j] = static_cast<std::uint8_t>(reverseUnits(src[used - 1 - j], bitsPerPixel));
  const int pad = static_cast<int>(used * 8 - bits);
  if (pad != 0) {
    std::size_t k = 0;
    for (; k + 9 <= used; k += 8) {
      const std::uint64_t v = loadBigEndian(dst + k);
      storeBigEndian(dst + k, (v << pad) | (dst[k + 8] >> (8 - pad)));
    }
    for (; k + 1 < used; ++k)
      dst[k] = static_cast<std::uint8_t>((dst[k] << pad) | (dst[k + 1] >> (8 - pad)));
    dst[used - 1] = static_cast<std::uint8_t>(dst[used - 1] << pad);
  }
  std::memset(dst + used, 0, static_cast<std::size_t>(rowLength) - used);
}

void mirrorPlane(std::uint8_t* plane, std::uint8_t* scratch, int rows, int rowLength,
                 int pageWidth, int bitsPerPixel, std::size_t capacity) {
  if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 8) return;
  if (rows <= 0 || rowLength <= 0 || plane == nullptr || scratch == nullptr) return;
  const std::size_t length = static_cast<std::size_t>(rowLength);
  std::size_t fitting = capacity / length;
  if (fitting > static_cast<std::size_t>(rows)) fitting = static_cast<std::size_t>(rows);
  // Each row goes into the same row of scratch and straight back while it is
  // still in the cache; the plane and the scratch end as after mirroring the
  // whole band into scratch and copying it back at once.
  for (std::size_t r = 0; r < fitting; ++r) {
    mirrorRow(plane + r * length, scratch + r * length, rowLength, pageWidth, bitsPerPixel);
    std::memcpy(plane + r * length, scratch + r * length, length);
  }
}

}  // namespace vexmoor
