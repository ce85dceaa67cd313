#include "raster/encode/mirror.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Newer instructions are compiled for their own functions only and used after
// the processor says it has them (x86 and x86-64, gcc and clang).
#if (defined(__i386__) || defined(__x86_64__)) && defined(__GNUC__)
#define VEXMOOR_MIRROR_SSSE3 1
#include <cpuid.h>
#include <immintrin.h>
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

// Plain C++: 8 bytes at a time in a 64-bit word, then byte by byte.
void reverseBytesPlain(const std::uint8_t* src, std::uint8_t* dst, std::size_t used, int bitsPerPixel,
                       std::size_t j) {
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
}

#if defined(__SSE2__)
// 16 bytes at a time; 64 blank bytes, common on a page, are stored as they are.
void reverseBytesSse2(const std::uint8_t* src, std::uint8_t* dst, std::size_t used, int bitsPerPixel) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t j = 0;
  for (; j + 64 <= used; j += 64) {
    const auto* from = reinterpret_cast<const __m128i*>(src + used - 64 - j);
    const __m128i a = _mm_loadu_si128(from), b = _mm_loadu_si128(from + 1);
    const __m128i c = _mm_loadu_si128(from + 2), d = _mm_loadu_si128(from + 3);
    auto* to = reinterpret_cast<__m128i*>(dst + j);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)), zero)) == 0xFFFF) {
      _mm_storeu_si128(to, zero);
      _mm_storeu_si128(to + 1, zero);
      _mm_storeu_si128(to + 2, zero);
      _mm_storeu_si128(to + 3, zero);
    } else {
      _mm_storeu_si128(to, reverse16(d, bitsPerPixel));
      _mm_storeu_si128(to + 1, reverse16(c, bitsPerPixel));
      _mm_storeu_si128(to + 2, reverse16(b, bitsPerPixel));
      _mm_storeu_si128(to + 3, reverse16(a, bitsPerPixel));
    }
  }
  for (; j + 16 <= used; j += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + used - 16 - j));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), reverse16(v, bitsPerPixel));
  }
  reverseBytesPlain(src, dst, used, bitsPerPixel, j);
}
#endif

#if defined(VEXMOOR_MIRROR_SSSE3)
bool processorHasSsse3() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & bit_SSSE3) != 0 && (d & bit_SSE2) != 0;
}

// One byte shuffle reverses the order of 16 bytes, two table look-ups (one
// per half byte) reverse the pixels inside each byte.
struct Ssse3Reversal {
  __m128i order, nibble;
  // lowToHigh[n]: the low half byte n with its pixels reversed, moved to the
  // high half; highToLow[n] the other way round.
  __m128i lowToHigh, highToLow;
  bool wholeBytes;
};

__attribute__((target("ssse3"))) inline __m128i reverse16Ssse3(__m128i v, const Ssse3Reversal& r) {
  v = _mm_shuffle_epi8(v, r.order);
  if (r.wholeBytes) return v;
  const __m128i low = _mm_and_si128(v, r.nibble);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), r.nibble);
  return _mm_or_si128(_mm_shuffle_epi8(r.lowToHigh, low), _mm_shuffle_epi8(r.highToLow, high));
}

__attribute__((target("ssse3"))) Ssse3Reversal ssse3Reversal(int bitsPerPixel) {
  Ssse3Reversal r;
  r.order = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  r.nibble = _mm_set1_epi8(0x0F);
  if (bitsPerPixel == 1) {  // bits
    r.lowToHigh = _mm_setr_epi8(0x00, -0x80, 0x40, -0x40, 0x20, -0x60, 0x60, -0x20, 0x10, -0x70, 0x50, -0x30,
                                0x30, -0x50, 0x70, -0x10);
    r.highToLow = _mm_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
  } else {  // 2-bit pairs (unused for bytes)
    r.lowToHigh = _mm_setr_epi8(0x00, 0x40, -0x80, -0x40, 0x10, 0x50, -0x70, -0x30, 0x20, 0x60, -0x60, -0x20,
                                0x30, 0x70, -0x50, -0x10);
    r.highToLow = _mm_setr_epi8(0x0, 0x4, 0x8, 0xC, 0x1, 0x5, 0x9, 0xD, 0x2, 0x6, 0xA, 0xE, 0x3, 0x7, 0xB, 0xF);
  }
  r.wholeBytes = bitsPerPixel == 8;
  return r;
}

__attribute__((target("ssse3"))) void reverseBytesSsse3(const std::uint8_t* src, std::uint8_t* dst,
                                                         std::size_t used, int bitsPerPixel) {
  const Ssse3Reversal r = ssse3Reversal(bitsPerPixel);
  const __m128i zero = _mm_setzero_si128();
  std::size_t j = 0;
  // 64 blank bytes, common on a page, are stored as they are.
  for (; j + 64 <= used; j += 64) {
    const auto* from = reinterpret_cast<const __m128i*>(src + used - 64 - j);
    const __m128i a = _mm_loadu_si128(from), b = _mm_loadu_si128(from + 1);
    const __m128i c = _mm_loadu_si128(from + 2), d = _mm_loadu_si128(from + 3);
    auto* to = reinterpret_cast<__m128i*>(dst + j);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)), zero)) == 0xFFFF) {
      _mm_storeu_si128(to, zero);
      _mm_storeu_si128(to + 1, zero);
      _mm_storeu_si128(to + 2, zero);
      _mm_storeu_si128(to + 3, zero);
    } else {
      _mm_storeu_si128(to, reverse16Ssse3(d, r));
      _mm_storeu_si128(to + 1, reverse16Ssse3(c, r));
      _mm_storeu_si128(to + 2, reverse16Ssse3(b, r));
      _mm_storeu_si128(to + 3, reverse16Ssse3(a, r));
    }
  }
  for (; j + 16 <= used; j += 16)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j),
                     reverse16Ssse3(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + used - 16 - j)), r));
  reverseBytesPlain(src, dst, used, bitsPerPixel, j);
}
// 32 bytes per step: the byte shuffle reverses each 16-byte half, a swap of
// the halves completes the order; the pixel tables are the SSSE3 ones.
__attribute__((target("avx2"))) inline __m256i reverse32Avx2(__m256i v, const Ssse3Reversal& r) {
  const __m256i order = _mm256_broadcastsi128_si256(r.order);
  v = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, order), 0x4E);
  if (r.wholeBytes) return v;
  const __m256i nibble = _mm256_broadcastsi128_si256(r.nibble);
  const __m256i low = _mm256_and_si256(v, nibble);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
  return _mm256_or_si256(_mm256_shuffle_epi8(_mm256_broadcastsi128_si256(r.lowToHigh), low),
                         _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(r.highToLow), high));
}

__attribute__((target("avx2"))) void reverseBytesAvx2(const std::uint8_t* src, std::uint8_t* dst, std::size_t used,
                                                       int bitsPerPixel) {
  const Ssse3Reversal r = ssse3Reversal(bitsPerPixel);
  std::size_t j = 0;
  // 64 blank bytes, common on a page, are stored as they are.
  for (; j + 64 <= used; j += 64) {
    const auto* from = reinterpret_cast<const __m256i*>(src + used - 64 - j);
    const __m256i a = _mm256_loadu_si256(from), b = _mm256_loadu_si256(from + 1);
    auto* to = reinterpret_cast<__m256i*>(dst + j);
    const __m256i both = _mm256_or_si256(a, b);
    if (_mm256_testz_si256(both, both)) {
      _mm256_storeu_si256(to, both);
      _mm256_storeu_si256(to + 1, both);
    } else {
      _mm256_storeu_si256(to, reverse32Avx2(b, r));
      _mm256_storeu_si256(to + 1, reverse32Avx2(a, r));
    }
  }
  for (; j + 32 <= used; j += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + j),
                        reverse32Avx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + used - 32 - j)), r));
  reverseBytesPlain(src, dst, used, bitsPerPixel, j);
}

// AVX2 also needs the system to save the wide registers (OSXSAVE, XCR0).
bool processorHasAvx2() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) return false;
  unsigned xcr0 = 0, high = 0;
  __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(xcr0), "=d"(high) : "c"(0));  // xgetbv
  if ((xcr0 & 6) != 6) return false;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_AVX2) != 0;
}
#endif

// Checked once: which instructions this processor has does not change.
MirrorPath fastestPath() {
#if defined(VEXMOOR_MIRROR_SSSE3)
  static const MirrorPath best = processorHasAvx2() ? MirrorPath::kAvx2
                                 : processorHasSsse3() ? MirrorPath::kSsse3
                                                       : MirrorPath::kPlain;
  if (best != MirrorPath::kPlain) return best;
#endif
#if defined(__SSE2__)
  return MirrorPath::kSse2;
#else
  return MirrorPath::kPlain;
#endif
}

}  // namespace

bool mirrorPathAvailable(MirrorPath path) {
  switch (path) {
    case MirrorPath::kPlain: return true;
#if defined(__SSE2__)
    case MirrorPath::kSse2: return true;
#endif
#if defined(VEXMOOR_MIRROR_SSSE3)
    case MirrorPath::kSsse3: return processorHasSsse3();
    case MirrorPath::kAvx2: return processorHasAvx2();
#endif
    default: return false;
  }
}

void mirrorRowUsing(MirrorPath path, const std::uint8_t* src, std::uint8_t* dst, int rowLength, int pageWidth,
                    int bitsPerPixel) {
  if (rowLength <= 0) return;
  const long long rowPixels = static_cast<long long>(rowLength) * 8 / bitsPerPixel;
  const long long pixels = pageWidth < 0 ? 0 : (pageWidth > rowPixels ? rowPixels : pageWidth);
  const long long bits = pixels * bitsPerPixel;
  const std::size_t used = static_cast<std::size_t>((bits + 7) / 8);
  // Reverse whole bytes: the row's last used byte comes first. The pixels
  // then sit `pad` bits too far right when the page ends inside a byte.
  switch (path) {
#if defined(VEXMOOR_MIRROR_SSSE3)
    case MirrorPath::kSsse3: reverseBytesSsse3(src, dst, used, bitsPerPixel); break;
    case MirrorPath::kAvx2: reverseBytesAvx2(src, dst, used, bitsPerPixel); break;
#endif
#if defined(__SSE2__)
    case MirrorPath::kSse2: reverseBytesSse2(src, dst, used, bitsPerPixel); break;
#endif
    default: reverseBytesPlain(src, dst, used, bitsPerPixel, 0); break;
  }
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

void mirrorRow(const std::uint8_t* src, std::uint8_t* dst, int rowLength, int pageWidth, int bitsPerPixel) {
  mirrorRowUsing(fastestPath(), src, dst, rowLength, pageWidth, bitsPerPixel);
}

void mirrorPlaneInto(const std::uint8_t* src, std::uint8_t* dst, int rows, int rowLength, int pageWidth,
                     int bitsPerPixel) {
  if (rows <= 0 || rowLength <= 0) return;
  const std::size_t length = static_cast<std::size_t>(rowLength);
  if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 8) {
    std::memcpy(dst, src, length * static_cast<std::size_t>(rows));
    return;
  }
  const MirrorPath path = fastestPath();
  for (std::size_t r = 0; r < static_cast<std::size_t>(rows); ++r)
    mirrorRowUsing(path, src + r * length, dst + r * length, rowLength, pageWidth, bitsPerPixel);
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
