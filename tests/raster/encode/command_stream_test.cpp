// The command stream byte for byte: job start, rows, job end, thresholds,
// plane order, one write per command, and failures.
#include "raster/encode/command_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "raster/encode/packbits.h"
#include "tests/raster/encode/recording_sink.h"

namespace vexmoor {
namespace {

using testing::RecordingSink;
using Bytes = std::vector<std::uint8_t>;
const std::string ESC = "\x1b";

std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(JobStart, OneBitHeaderIsElevenWrites) {
  RecordingSink rec;
  ByteSink sink = rec.sink();
  ASSERT_EQ(writeJobStart(sink, 4, 7200, 1), 0);
  const std::vector<std::string> want = {"\x07Kavex_PM", "*ID250;", "*TM1;",       "*IP,1;",
                                         "*PQ4;",      "*FF0;",   ESC + "E",     ESC + "%0A",
                                         ESC + "*r7200S", ESC + "*r-4U", ESC + "*r1A"};
  EXPECT_EQ(rec.writes, want);
  EXPECT_EQ(rec.all(), "\x07Kavex_PM*ID250;*TM1;*IP,1;*PQ4;*FF0;\x1b" "E\x1b%0A\x1b*r7200S\x1b*r-4U\x1b*r1A");
}

TEST(JobStart, TwoBitHeaderAnnouncesTwiceThePixelWidth) {
  RecordingSink rec;
  ByteSink sink = rec.sink();
  ASSERT_EQ(writeJobStart(sink, 9, 7200, 2), 0);
  ASSERT_EQ(rec.writes.size(), 11u);
  EXPECT_EQ(rec.writes[3], "*IP,2;");
  EXPECT_EQ(rec.writes[4], "*PQ9;");
  EXPECT_EQ(rec.writes[8], ESC + "*r14400S");
}

TEST(JobStart, PrintModesZeroToNine) {
  for (int mode = 0; mode <= 9; ++mode) {
    RecordingSink rec;
    ByteSink sink = rec.sink();
    ASSERT_EQ(writeJobStart(sink, mode, 100, 1), 0);
    EXPECT_EQ(rec.writes[4], "*PQ" + std::to_string(mode) + ";");
  }
}

TEST(JobStart, StopsAtTheFirstFailedWrite) {
  for (int fail = 0; fail < 11; ++fail) {
    RecordingSink rec;
    rec.failAt = fail;
    ByteSink sink = rec.sink();
    EXPECT_EQ(writeJobStart(sink, 4, 7200, 1), -1);
    EXPECT_EQ(rec.attempts, fail + 1) << "nothing is written after the failed write";
  }
}

TEST(JobEnd, FourWrites) {
  RecordingSink rec;
  ByteSink sink = rec.sink();
  ASSERT_EQ(writeJobEnd(sink), 0);
  const std::vector<std::string> want = {ESC + "*rC", ESC + "%0B", ESC + "E", "PG;"};
  EXPECT_EQ(rec.writes, want);
  for (int fail = 0; fail < 4; ++fail) {
    RecordingSink bad;
    bad.failAt = fail;
    ByteSink s = bad.sink();
    EXPECT_EQ(writeJobEnd(s), -1);
    EXPECT_EQ(bad.attempts, fail + 1);
  }
}

struct Band {
  std::vector<Bytes> planes;
  std::vector<const std::uint8_t*> pointers;
  Band(int planeCount, int rowLength, int rows) : planes(static_cast<std::size_t>(planeCount), Bytes(static_cast<std::size_t>(rowLength * rows), 0)) {
    for (auto& p : planes) pointers.push_back(p.data());
  }
};

int rows(RecordingSink& rec, Band& band, int rowLength, int count, std::size_t compression = 0) {
  Bytes work(compression ? compression : 2 * static_cast<std::size_t>(rowLength));
  band.pointers.clear();  // the tests may have replaced a plane's buffer
  for (auto& p : band.planes) band.pointers.push_back(p.data());
  ByteSink sink = rec.sink();
  return writeRows(sink, work.data(), work.size(), band.pointers.data(), static_cast<int>(band.pointers.size()),
                   rowLength, count);
}

TEST(Rows, BlankRowOfHundredBytes) {
  RecordingSink rec;
  Band band(4, 100, 1);
  ASSERT_EQ(rows(rec, band, 100, 1), 0);
  std::vector<std::string> want;
  for (int k = 0; k < 3; ++k) want.insert(want.end(), {ESC + "*b2M", ESC + "*b2V", "\x9d" + std::string(1, '\0')});
  want.insert(want.end(), {ESC + "*b2M", ESC + "*b2W", "\x9d" + std::string(1, '\0')});
  EXPECT_EQ(rec.writes, want);
}

// A row of 100 bytes whose PackBits form has exactly `n` bytes (n from 3 to
// 100): n - 3 single bytes then a run.
Bytes rowCompressingTo(std::size_t n) {
  Bytes row;
  for (std::size_t k = 0; k + 3 < n; ++k) row.push_back(static_cast<std::uint8_t>(k % 2 ? 0x11 : 0x22));
  row.resize(100, 0x77);
  Bytes out(packBitsBound(100));
  EXPECT_EQ(packBitsEncode(row.data(), row.size(), out.data()), n);
  return row;
}

TEST(Rows, PlaneRowsGoCompressedOnlyBelowFourFifths) {
  for (std::size_t n : {79u, 80u}) {
    RecordingSink rec;
    Band band(4, 100, 1);
    for (auto& p : band.planes) p = rowCompressingTo(n);
    ASSERT_EQ(rows(rec, band, 100, 1), 0);
    ASSERT_EQ(rec.writes.size(), 12u);
    for (int k = 0; k < 3; ++k) {
      if (n == 79) {
        EXPECT_EQ(rec.writes[3 * k], ESC + "*b2M");
        EXPECT_EQ(rec.writes[3 * k + 1], ESC + "*b79V");
        EXPECT_EQ(rec.writes[3 * k + 2].size(), 79u);
      } else {
        EXPECT_EQ(rec.writes[3 * k], ESC + "*b0M");
        EXPECT_EQ(rec.writes[3 * k + 1], ESC + "*b100V");
        EXPECT_EQ(rec.writes[3 * k + 2], str(band.planes[0]));
      }
    }
    // The last plane goes compressed whenever that is shorter at all.
    EXPECT_EQ(rec.writes[9], ESC + "*b2M");
    EXPECT_EQ(rec.writes[10], ESC + "*b" + std::to_string(n) + "W");
  }
}

TEST(Rows, LastPlaneThresholdIsTheFullLength) {
  for (std::size_t n : {99u, 100u}) {
    RecordingSink rec;
    Band band(4, 100, 1);
    band.planes[2] = rowCompressingTo(n);
    ASSERT_EQ(rows(rec, band, 100, 1), 0);
    EXPECT_EQ(rec.writes[9], ESC + (n == 99 ? "*b2M" : "*b0M"));
    EXPECT_EQ(rec.writes[10], ESC + (n == 99 ? "*b99W" : "*b100W"));
  }
}

// A row after a raw row of the same plane is judged by the same thresholds.
TEST(Rows, ThresholdsHoldAfterARawRow) {
  const std::size_t sizes[] = {80, 79, 80, 80, 79, 100, 99, 100};
  RecordingSink rec;
  Band band(4, 100, 8);
  for (auto& plane : band.planes)
    for (std::size_t r = 0; r < 8; ++r) {
      const Bytes row = rowCompressingTo(sizes[r]);
      std::copy(row.begin(), row.end(), plane.begin() + static_cast<std::ptrdiff_t>(100 * r));
    }
  ASSERT_EQ(rows(rec, band, 100, 8), 0);
  ASSERT_EQ(rec.writes.size(), 96u);
  for (std::size_t r = 0; r < 8; ++r)
    for (std::size_t k = 0; k < 4; ++k)
      EXPECT_EQ(rec.writes[12 * r + 3 * k], ESC + (sizes[r] < (k == 3 ? 100u : 80u) ? "*b2M" : "*b0M")) << r << k;
}

TEST(Rows, TruncatedFourFifthsOfAnOddLength) {
  // rowLength 12: 0.8 x 12 = 9.6, truncated to 9: 9 bytes go raw, 8 compressed.
  const Bytes nine = {1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0};  // 05 1..6 FB 00 -> 9 bytes
  const Bytes eight = {1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0}; // 04 1..5 F9 00 -> 8 bytes
  for (const Bytes* row : {&nine, &eight}) {
    RecordingSink rec;
    Band band(4, 12, 1);
    band.planes[3] = *row;
    ASSERT_EQ(rows(rec, band, 12, 1), 0);
    EXPECT_EQ(rec.writes[0], ESC + (row == &nine ? "*b0M" : "*b2M"));
  }
}

TEST(Rows, IncompressibleRowsGoRawWithFullLength) {
  RecordingSink rec;
  Band band(4, 64, 1);
  for (auto& p : band.planes)
    for (std::size_t k = 0; k < p.size(); ++k) p[k] = static_cast<std::uint8_t>(k * 7);
  ASSERT_EQ(rows(rec, band, 64, 1), 0);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(rec.writes[3 * k], ESC + "*b0M");
    EXPECT_EQ(rec.writes[3 * k + 1], ESC + "*b64" + (k == 3 ? "W" : "V"));
    EXPECT_EQ(rec.writes[3 * k + 2], str(band.planes[0]));
  }
}

TEST(Rows, PlanesGoInTheOrderThreeZeroOneTwoRowByRow) {
  RecordingSink rec;
  const int rowLength = 8, count = 3;
  Band band(4, rowLength, count);
  for (int p = 0; p < 4; ++p)
    for (int r = 0; r < count; ++r)
      for (int k = 0; k < rowLength; ++k)
        band.planes[p][r * rowLength + k] = static_cast<std::uint8_t>(16 * p + 4 * r + k % 2);
  ASSERT_EQ(rows(rec, band, rowLength, count), 0);
  ASSERT_EQ(rec.writes.size(), 12u * count);
  const int order[4] = {3, 0, 1, 2};
  for (int r = 0; r < count; ++r)
    for (int k = 0; k < 4; ++k) {
      const std::string& payload = rec.writes[static_cast<std::size_t>(12 * r + 3 * k + 2)];
      const Bytes& plane = band.planes[order[k]];
      EXPECT_EQ(payload, std::string(plane.begin() + r * rowLength, plane.begin() + (r + 1) * rowLength))
          << "row " << r << " position " << k;
    }
}

TEST(Rows, ZeroRowsWriteNothing) {
  RecordingSink rec;
  Band band(4, 16, 1);
  EXPECT_EQ(rows(rec, band, 16, 0), 0);
  EXPECT_TRUE(rec.writes.empty());
}

TEST(Rows, StopAtTheFirstFailedWrite) {
  for (int fail = 0; fail < 24; ++fail) {
    RecordingSink rec;
    rec.failAt = fail;
    Band band(4, 16, 2);
    EXPECT_EQ(rows(rec, band, 16, 2), -1);
    EXPECT_EQ(rec.attempts, fail + 1);
  }
}

TEST(Rows, TooSmallCompressionBufferWritesNothing) {
  RecordingSink rec;
  Band band(4, 100, 1);
  EXPECT_EQ(rows(rec, band, 100, 1, packBitsMaxOutput(100) - 1), -1);
  EXPECT_TRUE(rec.writes.empty());
}

TEST(Rows, MissingPlanesAreSentBlankAndNeverRead) {
  // Three planes given (the array holds exactly three pointers): the fourth
  // position of each row, plane 3, goes as a blank row first.
  RecordingSink rec;
  Band band(3, 100, 2);
  for (auto& p : band.planes) std::fill(p.begin(), p.end(), 0x11);
  ASSERT_EQ(rows(rec, band, 100, 2), 0);
  ASSERT_EQ(rec.writes.size(), 24u);
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(rec.writes[12 * r + 2], "\x9d" + std::string(1, '\0'));  // plane 3: blank
    EXPECT_EQ(rec.writes[12 * r + 5], "\x9d\x11");                      // plane 0
  }
}

TEST(Rows, NoPlanesAtAllGiveBlankRows) {
  RecordingSink rec;
  Bytes work(200);
  ByteSink sink = rec.sink();
  ASSERT_EQ(writeRows(sink, work.data(), work.size(), nullptr, 0, 100, 1), 0);
  ASSERT_EQ(rec.writes.size(), 12u);
  EXPECT_EQ(rec.writes[11], "\x9d" + std::string(1, '\0'));
}

TEST(Rows, PlanesBeyondTheFourthAreNotSent) {
  RecordingSink rec;
  Band band(6, 16, 1);
  std::fill(band.planes[4].begin(), band.planes[4].end(), 0x44);
  std::fill(band.planes[5].begin(), band.planes[5].end(), 0x55);
  ASSERT_EQ(rows(rec, band, 16, 1), 0);
  EXPECT_EQ(rec.writes.size(), 12u);
  EXPECT_EQ(rec.all().find('\x44'), std::string::npos);
  EXPECT_EQ(rec.all().find('\x55'), std::string::npos);
}

TEST(Rows, BlankRowsOfAnyLengthMatchTheEncoder) {
  for (int length : {1, 2, 3, 4, 126, 127, 128, 129, 254, 9600}) {
    RecordingSink given, missing;
    Band zeros(4, length, 1);
    ASSERT_EQ(rows(given, zeros, length, 1, 2 * static_cast<std::size_t>(length) + 8), 0);
    Band three(3, length, 1);
    ASSERT_EQ(rows(missing, three, length, 1, 2 * static_cast<std::size_t>(length) + 8), 0);
    EXPECT_EQ(given.writes, missing.writes) << length;
  }
}

}  // namespace
}  // namespace vexmoor
