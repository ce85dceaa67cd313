// PackBits rows: the fixed examples, agreement with the byte-at-a-time
// encoder on every kind of row, decodability and the output bound.
#include "raster/encode/packbits.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/raster/encode/packbits_reference.h"
#include "tools/rtlview/rtl_stream.h"

namespace vexmoor {
namespace {

using Bytes = std::vector<std::uint8_t>;

// packBitsMinOutput never exceeds the encoded length n, and equals it when
// no record reaches 127 bytes (no header 0x7E, 0x7F or 0x82 in the output).
void expectMinOutput(const std::uint8_t* in, std::size_t len, const std::uint8_t* out, std::size_t n) {
  const std::size_t least = packBitsMinOutput(in, len);
  bool longRecord = false;
  for (std::size_t o = 0; o < n; o += out[o] < 0x80 ? out[o] + 2u : 2u)
    longRecord = longRecord || out[o] == 0x7E || out[o] == 0x7F || out[o] == 0x82;
  if (longRecord) EXPECT_LE(least, n) << len << " bytes";
  else EXPECT_EQ(least, n) << len << " bytes";
}

// Encodes into a buffer of exactly packBitsMaxOutput(len) bytes followed by
// guard bytes, and checks that the guards survive and the lower bound.
Bytes encode(const Bytes& in) {
  const std::size_t capacity = packBitsMaxOutput(in.size());
  Bytes out(capacity + 32, 0xEE);
  const std::size_t n = packBitsEncode(in.data(), in.size(), out.data());
  EXPECT_LE(n, capacity);
  for (std::size_t k = capacity; k < out.size(); ++k) EXPECT_EQ(out[k], 0xEE) << "wrote past the bound at " << k;
  expectMinOutput(in.data(), in.size(), out.data(), n);
  out.resize(n);
  return out;
}

Bytes reference(const Bytes& in) {
  Bytes out(packBitsBound(in.size()) + 16);
  out.resize(testing::packBitsEncodeReference(in.data(), in.size(), out.data()));
  return out;
}

Bytes hex(std::initializer_list<int> v) {
  Bytes b;
  for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
  return b;
}

Bytes repeat(const Bytes& unit, std::size_t times) {
  Bytes b;
  for (std::size_t k = 0; k < times; ++k) b.insert(b.end(), unit.begin(), unit.end());
  return b;
}

// Every record must be one the encoder is allowed to write (rtlview's decoder
// refuses headers 0x80 and 0x81), and the records must decode to the input.
void expectWellFormedAndDecodes(const Bytes& in, const Bytes& out) {
  Bytes decoded;
  std::size_t badOffset = 0;
  std::string message;
  ASSERT_TRUE(rtlview::decodePackBits(out.data(), out.size(), in.size(), decoded, badOffset, message))
      << message << " at " << badOffset;
  EXPECT_EQ(decoded, in);
}

TEST(PackBitsTable, EveryExampleRowEncodesExactly) {
  struct Case {
    Bytes in;
    Bytes out;
  };
  Bytes ramp(256);
  for (int k = 0; k < 256; ++k) ramp[k] = static_cast<std::uint8_t>(k);
  Bytes rampOut = {0x7F};
  rampOut.insert(rampOut.end(), ramp.begin(), ramp.begin() + 128);
  rampOut.push_back(0x7F);
  rampOut.insert(rampOut.end(), ramp.begin() + 128, ramp.end());
  const std::vector<Case> cases = {
      {{}, {}},
      {hex({0x41}), hex({0x00, 0x41})},
      {hex({0x41, 0x41}), hex({0xFF, 0x41})},
      {hex({0x41, 0x42}), hex({0x01, 0x41, 0x42})},
      {hex({0x41, 0x41, 0x42}), hex({0xFF, 0x41, 0x00, 0x42})},
      {hex({0x41, 0x42, 0x42}), hex({0x00, 0x41, 0xFF, 0x42})},
      {hex({0x01, 0x01, 0x02, 0x03}), hex({0xFF, 0x01, 0x01, 0x02, 0x03})},
      {hex({0x01, 0x02, 0x02, 0x03}), hex({0x00, 0x01, 0xFF, 0x02, 0x00, 0x03})},
      {Bytes(100, 0), hex({0x9D, 0x00})},
      {Bytes(127, 0), hex({0x82, 0x00})},
      {Bytes(128, 0), hex({0x82, 0x00, 0x00, 0x00})},
      {Bytes(255, 0), hex({0x82, 0x00, 0x82, 0x00, 0x00, 0x00})},
      {Bytes(300, 0), hex({0x82, 0x00, 0x82, 0x00, 0xD3, 0x00})},
      {ramp, rampOut},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode(c.in), c.out) << "input of " << c.in.size() << " bytes";
    EXPECT_EQ(reference(c.in), c.out) << "reference, input of " << c.in.size() << " bytes";
  }
  EXPECT_EQ(rampOut.size(), 258u);
}

TEST(PackBitsTable, RepeatedPairThenSingleCostsFourBytesPerGroup) {
  for (std::size_t k : {1u, 2u, 5u, 21u, 22u, 100u, 3000u}) {
    const Bytes in = repeat(hex({0x41, 0x41, 0x42}), k);
    const Bytes out = encode(in);
    EXPECT_EQ(out, repeat(hex({0xFF, 0x41, 0x00, 0x42}), k)) << k;
    EXPECT_EQ(out.size(), packBitsMaxOutput(in.size()));  // the worst case meets the bound
  }
}

TEST(PackBitsLimits, RunsSplitAtOneHundredTwentySeven) {
  for (std::size_t len = 2; len <= 600; ++len) {
    const Bytes in(len, 0x5A);
    const Bytes out = encode(in);
    Bytes want;
    std::size_t left = len;
    while (left >= 127) {
      want.insert(want.end(), {0x82, 0x5A});
      left -= 127;
    }
    if (left >= 2) want.insert(want.end(), {static_cast<std::uint8_t>(1 - static_cast<int>(left)), 0x5A});
    if (left == 1) want.insert(want.end(), {0x00, 0x5A});
    ASSERT_EQ(out, want) << len;
  }
}

TEST(PackBitsLimits, LiteralRecordTakesTheNextByteAsItsHundredTwentyEighth) {
  // 127 distinct bytes, then a run of three: the run's first byte closes the
  // 128-byte literal and the other two form a repeat of two.
  Bytes in;
  for (int k = 0; k < 127; ++k) in.push_back(static_cast<std::uint8_t>(k % 2 == 0 ? 0x10 : 0x20));
  in.insert(in.end(), {0x99, 0x99, 0x99});
  Bytes want = {0x7F};
  want.insert(want.end(), in.begin(), in.begin() + 128);
  want.insert(want.end(), {0xFF, 0x99});
  EXPECT_EQ(encode(in), want);

  // With a run of two after the 127 bytes, the second byte is left alone.
  in.resize(127);
  in.insert(in.end(), {0x99, 0x99, 0x33});
  want = {0x7F};
  want.insert(want.end(), in.begin(), in.begin() + 128);
  want.insert(want.end(), {0x01, 0x99, 0x33});
  EXPECT_EQ(encode(in), want);

  // 126 single bytes and a run: the literal closes before the run.
  in.assign(in.begin(), in.begin() + 126);
  in.insert(in.end(), {0x99, 0x99});
  want = {0x7D};
  want.insert(want.end(), in.begin(), in.begin() + 126);
  want.insert(want.end(), {0xFF, 0x99});
  EXPECT_EQ(encode(in), want);

  // Exactly 127 single bytes at the end of the row: one record of 127.
  in.assign(127, 0);
  for (int k = 0; k < 127; ++k) in[k] = static_cast<std::uint8_t>(k);
  want = {0x7E};
  want.insert(want.end(), in.begin(), in.end());
  EXPECT_EQ(encode(in), want);
}

TEST(PackBitsLimits, ByteAfterAFullRepeatStartsAfresh) {
  // 127 + 1 + 2 equal bytes: full record, then the 128th byte pairs with the
  // next ones as a repeat of three.
  Bytes in(130, 7);
  EXPECT_EQ(encode(in), hex({0x82, 7, 0xFE, 7}));
  in.push_back(8);
  EXPECT_EQ(encode(in), hex({0x82, 7, 0xFE, 7, 0x00, 8}));
  Bytes single(128, 7);
  single.push_back(8);
  EXPECT_EQ(encode(single), hex({0x82, 7, 0x01, 7, 8}));
}

TEST(PackBitsLimits, LoneBytesBetweenRuns) {
  // A dot between blank runs, the leftover of a full repeat, and a lone byte
  // between runs of different bytes.
  EXPECT_EQ(encode(hex({0, 0, 0, 8, 0, 0})), hex({0xFE, 0, 0x00, 8, 0xFF, 0}));
  Bytes afterFull(128, 0);
  afterFull.insert(afterFull.end(), {9, 0, 0});
  EXPECT_EQ(encode(afterFull), hex({0x82, 0, 0x01, 0, 9, 0xFF, 0}));
  Bytes leftover(128, 0);
  leftover.insert(leftover.end(), {7, 7});
  EXPECT_EQ(encode(leftover), hex({0x82, 0, 0x00, 0, 0xFF, 7}));
  EXPECT_EQ(encode(hex({1, 1, 2, 3, 3})), hex({0xFF, 1, 0x00, 2, 0xFF, 3}));
  EXPECT_EQ(encode(hex({1, 1, 2, 1})), hex({0xFF, 1, 0x01, 2, 1}));
}

// Rows built from runs and single bytes in many proportions, lengths around
// the 64-byte look-ahead and the record limits, all compared with the
// byte-at-a-time encoder.
TEST(PackBitsAgreement, MatchesTheByteAtATimeEncoderOnVariedRows) {
  std::mt19937 rng(20261208);
  for (int iteration = 0; iteration < 30000; ++iteration) {
    const std::size_t len = iteration < 2000 ? static_cast<std::size_t>(iteration % 400) : rng() % 1500;
    const unsigned alphabet = 1 + rng() % 5;
    const unsigned keep = rng() % 100;  // chance in percent that a byte repeats the previous one
    Bytes in(len);
    std::uint8_t cur = 0;
    for (auto& b : in) {
      if (rng() % 100 >= keep) cur = static_cast<std::uint8_t>(rng() % alphabet * 37);
      b = cur;
    }
    const Bytes out = encode(in);
    ASSERT_EQ(out, reference(in)) << "iteration " << iteration << ", " << len << " bytes";
    expectWellFormedAndDecodes(in, out);
  }
}

TEST(PackBitsAgreement, MatchesOnEveryShortRowOverThreeValues) {
  // Every row of up to 9 bytes over {0, 1, 2}.
  for (std::size_t len = 0; len <= 9; ++len) {
    std::size_t total = 1;
    for (std::size_t k = 0; k < len; ++k) total *= 3;
    for (std::size_t code = 0; code < total; ++code) {
      Bytes in(len);
      std::size_t c = code;
      for (auto& b : in) {
        b = static_cast<std::uint8_t>(c % 3);
        c /= 3;
      }
      ASSERT_EQ(encode(in), reference(in)) << "row code " << code << " of length " << len;
    }
  }
}

TEST(PackBitsAgreement, MatchesOnLongRowsOfPrinterData) {
  std::mt19937 rng(7);
  for (std::size_t len : {9000u, 9600u, 14400u, 19201u}) {
    Bytes blank(len, 0), random(len), sparse(len, 0), grainy(len), stripes(len);
    for (auto& b : random) b = static_cast<std::uint8_t>(rng());
    for (auto& b : sparse)
      if (rng() % 40 == 0) b = static_cast<std::uint8_t>(0x80 >> (rng() % 8));
    for (std::size_t k = 0; k < len; ++k) {
      grainy[k] = static_cast<std::uint8_t>(100 + static_cast<int>(k * 50 / len) + static_cast<int>(rng() % 5));
      stripes[k] = (k / 131) % 2 ? 0xFF : static_cast<std::uint8_t>(k % 3 ? 0x55 : 0xAA);
    }
    for (const Bytes* row : {&blank, &random, &sparse, &grainy, &stripes}) {
      const Bytes out = encode(*row);
      ASSERT_EQ(out, reference(*row)) << len;
      expectWellFormedAndDecodes(*row, out);
    }
  }
}

// A row of alternating runs and stretches of single bytes. Kinds: 0 small
// alphabet at random, 1 blank with lone dots, 2 short runs and stretches,
// 3 runs and stretches around the record limits of 127 and 128.
void fillRow(std::uint8_t* row, std::size_t len, int kind, std::mt19937& rng) {
  std::uint8_t previous = 0;
  for (std::size_t k = 0; k < len;) {
    const bool run = kind == 1 ? rng() % 8 != 0 : rng() % 2 == 0;
    std::size_t stretch = kind == 0 ? 1 : kind == 1 ? (run ? 2 + rng() % 80 : 1) : kind == 2 ? 1 + rng() % 4 : 120 + rng() % 16;
    const std::uint8_t value = static_cast<std::uint8_t>(kind == 1 ? 0 : previous + 1 + rng() % 255);
    for (; stretch != 0 && k < len; --stretch, ++k) {
      // A single byte differs from the byte before it.
      if (kind == 0) previous = static_cast<std::uint8_t>(rng() % 3);
      else previous = run ? value : static_cast<std::uint8_t>(previous + 1 + rng() % 255);
      row[k] = previous;
    }
  }
}

// Rows of every length up to 400 bytes (the fast part of the encoder and the
// end of the row), each at every alignment at the very end of its own
// allocation, so that a read past the row is out of bounds under
// AddressSanitizer.
TEST(PackBitsAgreement, MatchesOnEveryLengthAndAlignment) {
  std::mt19937 rng(15);
  for (std::size_t len = 1; len <= 400; ++len) {
    for (std::size_t align = 0; align < 16; ++align) {
      for (int kind = 0; kind < 4; ++kind) {
        std::vector<std::uint8_t> buffer(align + len);
        std::uint8_t* in = buffer.data() + align;
        fillRow(in, len, kind, rng);
        Bytes out(packBitsMaxOutput(len) + 32, 0xEE);
        const std::size_t n = packBitsEncode(in, len, out.data());
        for (std::size_t g = packBitsMaxOutput(len); g < out.size(); ++g) ASSERT_EQ(out[g], 0xEE) << len;
        expectMinOutput(in, len, out.data(), n);
        out.resize(n);
        ASSERT_EQ(out, reference(Bytes(in, in + len))) << "kind " << kind << ", " << len << " bytes, alignment " << align;
      }
    }
  }
}

TEST(PackBitsBound, WorstCaseRowsStayWithinTheBound) {
  for (std::size_t len = 0; len <= 400; ++len) {
    // "a b b" groups and their shifts are the most expensive rows.
    for (int shift = 0; shift < 3; ++shift) {
      Bytes in(len);
      for (std::size_t k = 0; k < len; ++k) in[k] = static_cast<std::uint8_t>(((k + shift) % 3 == 0) ? 1 + (k / 3) % 2 * 2 : 2);
      const Bytes out = encode(in);  // checks the guard bytes
      EXPECT_LE(out.size(), packBitsMaxOutput(len));
    }
    EXPECT_LE(packBitsMaxOutput(len) + 2, len >= 4 ? 2 * len : packBitsBound(len));
  }
}

TEST(PackBitsInput, IsLeftUnchanged) {
  std::mt19937 rng(3);
  Bytes in(5000);
  for (auto& b : in) b = static_cast<std::uint8_t>(rng() % 3);
  const Bytes copy = in;
  encode(in);
  EXPECT_EQ(in, copy);
}

}  // namespace
}  // namespace vexmoor
