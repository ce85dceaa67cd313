#include "raster/encode/packbits.h"

#include <cstring>

#if defined(__SSE2__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
#include <emmintrin.h>
#endif
// The population-count instruction is compiled for its own function only
// and used after the processor says it has it (x86 and x86-64, gcc and clang).
#if (defined(__i386__) || defined(__x86_64__)) && defined(__GNUC__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
#define VEXMOOR_PACKBITS_POPCNT 1
#include <cpuid.h>
#endif

// The records are fixed by the printer; the speed comes from finding them
// many bytes at a time. A 64-bit mask marks, for 64 positions at once, where
// a byte equals its successor: a clear bit is a byte that stands alone (it
// goes into a literal record), a set bit starts or continues a run. Literal
// stretches are copied whole and runs are measured with wide compares, so the
// per-byte work of the one-pending-byte formulation disappears while the
// records come out identical.

namespace vexmoor {
namespace {

inline int lowestSetBit(std::uint64_t v) { return __builtin_ctzll(v); }

// Bit t: in[base + t] == in[base + t + 1], for the t with base + t + 1 < len.
inline std::uint64_t equalNextMask(const std::uint8_t* in, std::size_t base, std::size_t len) {
  if (base + 1 >= len) return 0;
  const std::uint8_t* p = in + base;
  if (len - base >= 65) {
#if defined(__SSE2__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
    // Written out four times: the compiler does not unroll it at -O2.
    const auto quarter = [p](int q) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q + 1));
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b))) & 0xFFFFu);
    };
    return quarter(0) | quarter(1) << 16 | quarter(2) << 32 | quarter(3) << 48;
#else
    std::uint64_t mask = 0;
    for (int q = 0; q < 8; ++q) {
      std::uint64_t a, b;
      std::memcpy(&a, p + 8 * q, 8);
      std::memcpy(&b, p + 8 * q + 1, 8);
      // Per byte: 0x80 where the bytes are equal (little-endian lanes).
      const std::uint64_t x = a ^ b;
      const std::uint64_t zero = ~(((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | x) & 0x8080808080808080ULL;
      std::uint64_t lanes = (zero >> 7) * 0x0102040810204080ULL >> 56;
      mask |= (lanes & 0xFF) << (8 * q);
    }
    return mask;
#endif
  }
  std::uint64_t mask = 0;
  const std::size_t pairs = len - base - 1;
  for (std::size_t t = 0; t < pairs; ++t)
    mask |= static_cast<std::uint64_t>(p[t] == p[t + 1]) << t;
  return mask;
}

// Bit t: p[t] != b, for the 64 bytes from p. A blank stretch costs one test.
inline std::uint64_t differMask(const std::uint8_t* p, std::uint8_t b) {
#if defined(__SSE2__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
  const __m128i value = _mm_set1_epi8(static_cast<char>(b));
  const auto* block = reinterpret_cast<const __m128i*>(p);
  const __m128i c0 = _mm_cmpeq_epi8(_mm_loadu_si128(block), value);
  const __m128i c1 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 1), value);
  const __m128i c2 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 2), value);
  const __m128i c3 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 3), value);
  if (_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(c0, c1), _mm_and_si128(c2, c3))) == 0xFFFF) return 0;
  const auto bits = [](__m128i c) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(c)) & 0xFFFFu);
  };
  return ~(bits(c0) | bits(c1) << 16 | bits(c2) << 32 | bits(c3) << 48);
#else
  const std::uint64_t value = 0x0101010101010101ULL * b;
  std::uint64_t x[8];
  std::uint64_t any = 0;
  for (int q = 0; q < 8; ++q) {
    std::memcpy(&x[q], p + 8 * q, 8);
    x[q] ^= value;
    any |= x[q];
  }
  if (any == 0) return 0;
  std::uint64_t mask = 0;
  for (int q = 0; q < 8; ++q) {
    // Per byte: 0x80 where the byte equals b (little-endian lanes).
    const std::uint64_t zero = ~(((x[q] & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | x[q]) & 0x8080808080808080ULL;
    mask |= (((zero >> 7) * 0x0102040810204080ULL >> 56) & 0xFF) << (8 * q);
  }
  return ~mask;
#endif
}

// Number of bytes equal to b from in[from] on.
inline std::size_t runLength(const std::uint8_t* in, std::size_t from, std::size_t len, std::uint8_t b) {
  std::size_t j = from;
#if defined(__SSE2__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
  const __m128i value = _mm_set1_epi8(static_cast<char>(b));
  // 64 bytes per step: one branch per step, and the run's end found with
  // one bit scan, so that runs of typical length cost one test.
  while (len - j >= 64) {
    const auto* block = reinterpret_cast<const __m128i*>(in + j);
    const __m128i c0 = _mm_cmpeq_epi8(_mm_loadu_si128(block), value);
    const __m128i c1 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 1), value);
    const __m128i c2 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 2), value);
    const __m128i c3 = _mm_cmpeq_epi8(_mm_loadu_si128(block + 3), value);
    const __m128i all = _mm_and_si128(_mm_and_si128(c0, c1), _mm_and_si128(c2, c3));
    if (_mm_movemask_epi8(all) != 0xFFFF) {
      const auto bits = [](__m128i c) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(c)) & 0xFFFFu);
      };
      const std::uint64_t same = bits(c0) | bits(c1) << 16 | bits(c2) << 32 | bits(c3) << 48;
      return j - from + static_cast<std::size_t>(lowestSetBit(~same));
    }
    j += 64;
  }
  while (len - j >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
    const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, value)));
    if (same != 0xFFFFu) return j - from + static_cast<std::size_t>(__builtin_ctz(~same));
    j += 16;
  }
#else
  const std::uint64_t value = 0x0101010101010101ULL * b;
  while (len - j >= 8) {
    std::uint64_t v;
    std::memcpy(&v, in + j, 8);
    const std::uint64_t x = v ^ value;
    if (x != 0) return j - from + static_cast<std::size_t>(lowestSetBit(x) / 8);
    j += 8;
  }
#endif
  while (j < len && in[j] == b) ++j;
  return j - from;
}

// Copies n (at least 1) bytes in 16-byte blocks, the first two without a
// test; may read and write up to 31 bytes more.
inline void wideCopy(std::uint8_t* to, const std::uint8_t* from, std::size_t n) {
#if defined(__SSE2__) && !defined(VEXMOOR_PORTABLE_PACKBITS)
  const auto copy16 = [to, from](std::size_t k) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
  };
  copy16(0);
  copy16(16);
  for (std::size_t k = 32; k < n; k += 16) copy16(k);
#else
  for (std::size_t k = 0; k < n; k += 8) {
    std::uint64_t v;
    std::memcpy(&v, from + k, 8);
    std::memcpy(to + k, &v, 8);
  }
#endif
}

// The encoder one window at a time with every record limit checked: for the
// end of a row, where the fast loop has no room to copy in blocks. Starts at a
// record boundary i with o bytes written.
std::size_t encodeCarefully(const std::uint8_t* in, std::size_t i, std::size_t len, std::uint8_t* out, std::size_t o,
                            std::size_t capacity) {
  std::size_t header = 0;  // where the open literal record's header goes
  unsigned held = 0;       // bytes in the open literal record (0: none open)
  while (i < len) {
    // A window of up to 64 positions from i; bit t of mask describes i + t.
    const std::size_t base = i;
    const std::uint64_t mask = equalNextMask(in, base, len);
    const std::size_t windowEnd = len - base < 64 ? len : base + 64;
    while (i < windowEnd) {
      std::uint64_t ahead = mask >> (i - base);
      if ((ahead & 1) == 0) {
        // Bytes that differ from their successor: literal data.
        std::size_t singles = ahead != 0 ? static_cast<std::size_t>(lowestSetBit(ahead)) : windowEnd - i;
        if (held + singles < 127 && o + singles + 33 <= capacity && len - i >= singles + 32) {
          // Common case: the stretch fits the open record and there is room
          // to copy in whole 16-byte blocks (the excess is overwritten later).
          if (held == 0) header = o++;
          wideCopy(out + o, in + i, singles);
          o += singles;
          i += singles;
          held += static_cast<unsigned>(singles);
          if (i == windowEnd) break;
          ahead >>= singles;
        } else {
          while (singles != 0) {
            if (held == 0) header = o++;
            std::size_t take = 127 - held;
            if (take > singles) take = singles;
            std::memcpy(out + o, in + i, take);
            o += take;
            i += take;
            singles -= take;
            held += static_cast<unsigned>(take);
            if (held == 127) {
              if (i == len) break;
              // A record of 127 single bytes takes the next byte as its
              // 128th, even when that byte starts a run.
              out[o++] = in[i++];
              out[header] = 127;
              held = 0;
              if (singles == 0) break;
              --singles;
            }
          }
          continue;
        }
      }
      // A run of at least two equal bytes.
      const std::uint8_t b = in[i];
      const std::uint64_t notSame = ~ahead;
      const std::size_t ones = notSame != 0 ? static_cast<std::size_t>(lowestSetBit(notSame)) : 64;
      std::size_t run;
      if (i + ones < base + 64) {
        run = ones + 1;
      } else {
        // in[i .. base + 64] are all b; the run may go on.
        run = base + 65 - i;
        run += runLength(in, base + 65, len, b);
      }
      if (held != 0) {
        out[header] = static_cast<std::uint8_t>(held - 1);
        held = 0;
      }
      while (run >= 127) {
        out[o++] = 0x82;
        out[o++] = b;
        run -= 127;
        i += 127;
      }
      if (run >= 2) {
        out[o++] = static_cast<std::uint8_t>(1 - static_cast<int>(run));
        out[o++] = b;
        i += run;
      }
      // A single byte left over is the run's last; it stands alone and is
      // picked up as literal data. A lone byte between two runs of the same
      // byte (a dot on a blank row) is a literal record of its own and is
      // written here at once, sparing the literal bookkeeping. (The test
      // asks for the same byte on both sides so that it stays predictable:
      // on sparse rows it nearly always holds, on busy rows nearly never.)
      if (len - i > 2 && in[i + 1] == b && in[i + 2] == b) {
        out[o++] = 0x00;
        out[o++] = in[i++];
      }
    }
  }
  if (held != 0) out[header] = static_cast<std::uint8_t>(held - 1);
  return o;
}


// Bit t: byte t of the window starts a record of the row's partition into
// maximal runs (bit t of `equal` set) and maximal stretches of single bytes.
// Bit 0 is always set: a window begins where a record begins.
inline std::uint64_t recordStarts(std::uint64_t equal) {
  const std::uint64_t equalPrevious = equal << 1;  // bit t: byte t - 1 equals byte t
  const std::uint64_t runStarts = equal & ~equalPrevious;
  const std::uint64_t singles = ~(equal | equalPrevious);
  return runStarts | (singles & ~(singles << 1));
}

// The same for the 64 positions after a window whose mask was `before`.
inline std::uint64_t recordStartsAfter(std::uint64_t equal, std::uint64_t before) {
  const std::uint64_t equalPrevious = equal << 1 | before >> 63;
  const std::uint64_t runStarts = equal & ~equalPrevious;
  const std::uint64_t singles = ~(equal | equalPrevious);
  const std::uint64_t singleBefore = ~(before | before << 1) >> 63;  // byte 63 of the window before
  return runStarts | (singles & ~(singles << 1 | singleBefore));
}

// Writes the records that start at s and at the other set bits of `rest`
// (positions from src; `equal` is their mask), each ending where the next
// starts, without a branch on their kind: the header, then 48 bytes copied
// from the record's start (16 more for a longer one; a run keeps only its
// first). Returns the last start, whose record is not written.
inline std::size_t writeShortRecords(const std::uint8_t* src, std::uint64_t equal, std::uint64_t rest, std::size_t s,
                                     std::uint8_t*& to) {
  for (; rest != 0; rest &= rest - 1) {
    const std::size_t e = static_cast<unsigned>(lowestSetBit(rest));
    const std::size_t n = e - s;
    const std::size_t run = static_cast<std::size_t>(equal >> s) & 1;
    // n - 1 for a literal record, 1 - n for a repeat.
    to[0] = static_cast<std::uint8_t>(((n - 1) ^ (0 - run)) + run);
    std::memcpy(to + 1, src + s, 48);
    if (n > 48) std::memcpy(to + 49, src + s + 48, 16);
    to += run != 0 ? 2 : n + 1;
    s = e;
  }
  return s;
}

// First position t >= from with in[t] == in[t + 1], or len when there is none.
std::size_t firstEqualPair(const std::uint8_t* in, std::size_t from, std::size_t len) {
  std::size_t t = from;
  for (; len - t >= 65; t += 64) {
    const std::uint64_t equal = equalNextMask(in, t, len);
    if (equal != 0) return t + static_cast<std::size_t>(lowestSetBit(equal));
  }
  for (; t + 1 < len; ++t)
    if (in[t] == in[t + 1]) return t;
  return len;
}

// A run of `run` copies of b from a record boundary: full records of 127,
// then the rest. Returns the input consumed: a single byte left over is the
// start of the next record (after a full repeat the next byte starts afresh).
inline std::size_t emitRun(std::uint8_t b, std::size_t run, std::uint8_t* out, std::size_t& o) {
  const std::size_t whole = run;
  for (; run >= 127; run -= 127) {
    out[o++] = 0x82;
    out[o++] = b;
  }
  if (run >= 2) {
    out[o++] = static_cast<std::uint8_t>(1 - static_cast<int>(run));
    out[o++] = b;
    run = 0;
  }
  return whole - run;
}

// The run of in[i] (known to hold at least `known` >= 2 bytes), and then,
// while a lone byte is followed by two more of the run's byte (a dot on a
// blank stretch), that byte as a record of its own and the next run. The
// bytes that differ from the run's byte are found 64 at a time. Returns where
// the next record starts.
std::size_t emitRunsAndDots(const std::uint8_t* in, std::size_t i, std::size_t len, std::size_t known,
                            std::uint8_t* out, std::size_t& o) {
  const std::uint8_t b = in[i];
  std::size_t runStart = i;
  std::size_t j = i + known;  // in[runStart, j) are all b
  // Two bytes past a block are read to tell a lone byte.
  for (; len - j >= 66; j += 64) {
    for (std::uint64_t differ = differMask(in + j, b); differ != 0; differ &= differ - 1) {
      const std::size_t x = j + static_cast<std::size_t>(lowestSetBit(differ));
      const std::size_t run = x - runStart;
      const std::size_t consumed = emitRun(b, run, out, o);
      if (consumed != run) return runStart + consumed;
      if (in[x + 1] != b || in[x + 2] != b) return x;
      out[o++] = 0x00;
      out[o++] = in[x];
      runStart = x + 1;
    }
  }
  const std::size_t run = j - runStart + runLength(in, j, len, b);
  const std::size_t consumed = emitRun(b, run, out, o);
  if (consumed != run || len - (runStart + run) < 3) return runStart + consumed;
  const std::size_t x = runStart + run;
  if (in[x + 1] != b || in[x + 2] != b) return x;
  out[o++] = 0x00;
  out[o++] = in[x];
  return emitRunsAndDots(in, x + 1, len, 2, out, o);
}

// The stretch of single bytes from in[i] (at least 64 of them) as literal
// records of at most 128 bytes; a record that has taken 127 takes the byte
// after the stretch, the first of a run, as its 128th. Returns the input
// consumed. Copies exactly, so it needs no room beyond the records.
std::size_t emitLongLiteral(const std::uint8_t* in, std::size_t i, std::size_t len, std::uint8_t* out,
                            std::size_t& o) {
  const std::size_t end = firstEqualPair(in, i + 64, len);
  std::size_t stretch = end - i;
  if (stretch % 128 == 127 && end < len) ++stretch;
  for (std::size_t done = 0; done < stretch; done += 128) {
    const std::size_t n = stretch - done < 128 ? stretch - done : 128;
    out[o] = static_cast<std::uint8_t>(n - 1);
    std::memcpy(out + o + 1, in + i + done, n);
    o += n + 1;
  }
  return stretch;
}

// popcount(a) - popcount(b) without a population-count instruction (the
// baseline processors have none): bit counts per byte, then one multiply
// adds the eight differences, each biased by 8 to stay within 0..16.
struct PortableCount {
  static int difference(std::uint64_t a, std::uint64_t b) {
    const auto byteCounts = [](std::uint64_t v) {
      v -= (v >> 1) & 0x5555555555555555ULL;
      v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
      return (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    };
    const std::uint64_t biased = byteCounts(a) + 0x0808080808080808ULL - byteCounts(b);
    return static_cast<int>((biased * 0x0101010101010101ULL) >> 56) - 64;
  }
};

// A run of r bytes costs 2 bytes, r - 1 equal neighbour pairs; a stretch of n
// single bytes costs n + 1 and has none. Summed over the records: the row's
// length, plus one per record, less one per equal pair. Longer records only
// add headers, and a literal record that takes a run's first byte as its
// 128th costs as much as the run's record it shortens or more.
template <class Count>
__attribute__((always_inline)) inline std::size_t minOutputWith(const std::uint8_t* in, std::size_t len) {
  std::ptrdiff_t extra = 0;
  std::uint64_t before = 0;
  for (std::size_t base = 0; base < len; base += 64) {
    const std::uint64_t equal = equalNextMask(in, base, len);
    std::uint64_t starts = base == 0 ? recordStarts(equal) : recordStartsAfter(equal, before);
    if (len - base < 64) starts &= (std::uint64_t{1} << (len - base)) - 1;
    extra += Count::difference(starts, equal);
    before = equal;
  }
  return len + static_cast<std::size_t>(extra);
}

#if defined(VEXMOOR_PACKBITS_POPCNT)
struct HardwareCount {
  __attribute__((target("popcnt"))) static int difference(std::uint64_t a, std::uint64_t b) {
    return __builtin_popcountll(a) - __builtin_popcountll(b);
  }
};

__attribute__((target("popcnt"))) std::size_t minOutputPopcnt(const std::uint8_t* in, std::size_t len) {
  return minOutputWith<HardwareCount>(in, len);
}

bool processorHasPopcnt() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & bit_POPCNT) != 0;
}
#endif

}  // namespace

// The row is a sequence of records: each maximal run of equal bytes and each
// maximal stretch of single bytes between them. Away from the end of the row
// (where blocks may be read and written past a record) one window of 128
// positions gives the starts of all records that begin in it, and every
// record that also ends in it is written without a branch on its kind. Such
// records are shorter than 128 bytes; the one literal limit that could apply
// (127 single bytes take the next byte as their 128th) is left to the next
// window. A record that fills the first half of the window is a long run or a
// long literal stretch and goes its own way.
std::size_t packBitsEncode(const std::uint8_t* in, std::size_t len, std::uint8_t* out) {
  const std::size_t capacity = packBitsMaxOutput(len);
  // Input: the window's masks read 129 bytes, and a record starting in the
  // window is copied 64 bytes from its start (128 for the record across the
  // middle, which starts in the first half).
  constexpr std::size_t kInputSlack = 128 + 64;
  // Output: a window writes at most 128 + 43 bytes of records, and a copy
  // reaches at most 80 bytes past a record's header (129 for the record across
  // the window's middle, whose header lies within 86 bytes of the start).
  constexpr std::size_t kOutputRoom = 256;
  std::size_t i = 0;
  std::size_t o = 0;
  while (len - i >= kInputSlack && capacity - o >= kOutputRoom) {
    const std::uint64_t equal = equalNextMask(in, i, len);
    const std::uint64_t starts = recordStarts(equal);
    if ((starts & (starts - 1)) == 0) {
      if ((equal & 1) == 0) {
        i += emitLongLiteral(in, i, len, out, o);
      } else {
        i = emitRunsAndDots(in, i, len, 64, out, o);
      }
      continue;
    }
    const std::uint8_t* src = in + i;
    std::uint8_t* to = out + o;  // kept in a register: o is shared with the helpers
    std::size_t s = writeShortRecords(src, equal, starts & (starts - 1), 0, to);
    const std::uint64_t equalAfter = equalNextMask(in, i + 64, len);
    const std::uint64_t startsAfter = recordStartsAfter(equalAfter, equal);
    const std::size_t run = static_cast<std::size_t>(equal >> s) & 1;
    const std::size_t e = startsAfter != 0 ? 64 + static_cast<unsigned>(lowestSetBit(startsAfter)) : 128;
    if (e < 128 && (run != 0 || e - s < 127)) {
      // The record across the middle of the window, then those after it.
      const std::size_t n = e - s;
      to[0] = static_cast<std::uint8_t>(run != 0 ? 1 - static_cast<int>(n) : static_cast<int>(n) - 1);
      // A fixed copy: a copy of the record's own length mispredicts on busy rows.
      std::memcpy(to + 1, src + s, 48);
      if (n > 48) std::memcpy(to + 49, src + s + 48, 80);
      to += run != 0 ? 2 : n + 1;
      s = 64 + writeShortRecords(src + 64, equalAfter, startsAfter & (startsAfter - 1), e - 64, to);
    }
    o = static_cast<std::size_t>(to - out);
    i += s;
    // A run that fills the window's end (a blank stretch on a sparse row) is
    // measured and written here rather than read again by the next window.
    const std::uint64_t equalAtS = s < 64 ? equal >> s : equalAfter >> (s - 64);
    if (s % 64 <= 48 && (equalAtS & 1) != 0) i = emitRunsAndDots(in, i, len, 64 - s % 64, out, o);
  }
  return encodeCarefully(in, i, len, out, o, capacity);
}

}  // namespace vexmoor

namespace vexmoor {

std::size_t packBitsMinOutput(const std::uint8_t* in, std::size_t len) {
#if defined(VEXMOOR_PACKBITS_POPCNT)
  // Checked once: which instructions this processor has does not change.
  static const bool popcnt = processorHasPopcnt();
  if (popcnt) return minOutputPopcnt(in, len);
#endif
  return minOutputWith<PortableCount>(in, len);
}

}  // namespace vexmoor
