// The encoder's whole streams decoded by rtlview's separately written
// parser: every plane comes back as it went in, and damaged streams are
// reported with the offset of the damage.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "raster/encode/command_stream.h"
#include "raster/encode/packbits.h"
#include "tests/raster/encode/recording_sink.h"
#include "tools/rtlview/preview.h"
#include "tools/rtlview/rtl_stream.h"

namespace vexmoor {
namespace {

using testing::RecordingSink;
using Bytes = std::vector<std::uint8_t>;

enum class Content { kBlank, kRandom, kSparse, kRuns, kMixed };

Bytes makePlane(Content content, std::size_t bytes, std::mt19937& rng) {
  Bytes p(bytes, 0);
  switch (content) {
    case Content::kBlank: break;
    case Content::kRandom:
      for (auto& b : p) b = static_cast<std::uint8_t>(rng());
      break;
    case Content::kSparse:
      for (auto& b : p)
        if (rng() % 30 == 0) b = static_cast<std::uint8_t>(1u << (rng() % 8));
      break;
    case Content::kRuns: {
      std::uint8_t v = 0;
      for (auto& b : p) {
        if (rng() % 90 == 0) v = static_cast<std::uint8_t>(rng() % 4 * 85);
        b = v;
      }
      break;
    }
    case Content::kMixed:
      for (std::size_t k = 0; k < bytes; ++k) p[k] = (k / 200) % 2 ? static_cast<std::uint8_t>(rng()) : 0xFF;
      break;
  }
  return p;
}

struct Job {
  int rowLength;
  int rows;
  int bitsPerPixel;
  int rasterWidth;
  std::vector<Bytes> planes;  // job plane numbers 0 C, 1 M, 2 Y, 3 K
};

// Encodes a job in bands of bandRows rows.
std::string encodeJob(const Job& job, int bandRows) {
  RecordingSink rec;
  ByteSink sink = rec.sink();
  EXPECT_EQ(writeJobStart(sink, 3, job.rasterWidth, job.bitsPerPixel), 0);
  Bytes work(2 * static_cast<std::size_t>(job.rowLength));
  for (int first = 0; first < job.rows; first += bandRows) {
    const int count = std::min(bandRows, job.rows - first);
    const std::uint8_t* planes[4];
    for (int p = 0; p < 4; ++p) planes[p] = job.planes[p].data() + static_cast<std::size_t>(first) * job.rowLength;
    EXPECT_EQ(writeRows(sink, work.data(), work.size(), planes, 4, job.rowLength, count), 0);
  }
  EXPECT_EQ(writeJobEnd(sink), 0);
  return rec.all();
}

rtlview::DecodedStream decode(const std::string& s) {
  return rtlview::decodeStream(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::string problems(const rtlview::DecodedStream& d) {
  std::string text;
  for (const auto& p : d.problems) text += std::to_string(p.offset) + ": " + p.message + "\n";
  return text;
}

TEST(StreamDecode, EveryPlaneComesBackAsItWentIn) {
  std::mt19937 rng(99);
  const Content kinds[] = {Content::kBlank, Content::kRandom, Content::kSparse, Content::kRuns, Content::kMixed};
  for (int bpp : {1, 2}) {
    for (int pageWidth : {31, 32, 700, 4801}) {
      Job job;
      job.bitsPerPixel = bpp;
      job.rasterWidth = pageWidth;
      job.rowLength = bpp * ((pageWidth + 31) / 32) * 4;
      job.rows = 23;
      for (int p = 0; p < 4; ++p)
        job.planes.push_back(makePlane(kinds[(p + pageWidth) % 5], static_cast<std::size_t>(job.rowLength * job.rows), rng));
      const std::string stream = encodeJob(job, 5);
      const rtlview::DecodedStream d = decode(stream);
      ASSERT_TRUE(d.clean()) << problems(d);
      EXPECT_TRUE(d.trailerSeen);
      EXPECT_EQ(d.bitsPerPixel, bpp);
      EXPECT_EQ(d.pixelsPerRow(), pageWidth);
      EXPECT_EQ(d.printMode, 3);
      ASSERT_EQ(d.rows, 23u);
      ASSERT_EQ(d.rowBytes, static_cast<std::size_t>(job.rowLength));
      // The stream sends K, C, M, Y: job planes 3, 0, 1, 2.
      EXPECT_EQ(d.planeRows[0], job.planes[3]);
      EXPECT_EQ(d.planeRows[1], job.planes[0]);
      EXPECT_EQ(d.planeRows[2], job.planes[1]);
      EXPECT_EQ(d.planeRows[3], job.planes[2]);
      EXPECT_GT(d.compressedTransfers + d.rawTransfers, 0u);
    }
  }
}

TEST(StreamDecode, SpoolDocumentsSplitBetweenBandsReadAsOneStream) {
  std::mt19937 rng(1);
  Job job{64, 10, 1, 512, {}};
  for (int p = 0; p < 4; ++p) job.planes.push_back(makePlane(Content::kRuns, 640, rng));
  const std::string whole = encodeJob(job, 10);
  const std::string banded = encodeJob(job, 3);
  EXPECT_EQ(whole, banded);  // the band split adds no bytes
  const rtlview::DecodedStream d = decode(banded);
  EXPECT_TRUE(d.clean()) << problems(d);
}

// A small clean stream and the offset where its raster data starts.
std::string smallStream(std::size_t* rasterStart = nullptr) {
  Job job{8, 2, 1, 64, {}};
  for (int p = 0; p < 4; ++p) job.planes.push_back(Bytes(16, static_cast<std::uint8_t>(p == 0 ? 0x0F : 0)));
  const std::string s = encodeJob(job, 2);
  if (rasterStart) *rasterStart = s.find("\x1b*r1A") + 5;
  return s;
}

// The preview shows the announced raster width; when that holds no pixel,
// rows of data are still decoded but there is nothing to draw.
TEST(StreamDecode, PreviewHasNothingToShowForARasterWidthOfNoPixels) {
  const rtlview::Picture normal = rtlview::composite(decode(smallStream()), false, 1);
  EXPECT_EQ(normal.width, 64u);
  EXPECT_EQ(normal.height, 2u);
  // One bit of raster width at two bits per pixel: less than a pixel.
  Job job{8, 2, 2, 4, {}};
  for (int p = 0; p < 4; ++p) job.planes.push_back(Bytes(16, 0x5A));
  std::string stream = encodeJob(job, 2);
  const std::size_t width = stream.find("\x1b*r8S");
  ASSERT_NE(width, std::string::npos);
  stream.replace(width, 5, "\x1b*r1S");
  const rtlview::DecodedStream d = decode(stream);
  ASSERT_EQ(d.rows, 2u);
  const rtlview::Picture none = rtlview::composite(d, true, 1);
  EXPECT_EQ(none.width, 0u);
  EXPECT_TRUE(none.rgb.empty());
}

TEST(StreamDecode, DamageIsReportedWithItsOffset) {
  std::size_t raster = 0;
  const std::string good = smallStream(&raster);
  ASSERT_TRUE(decode(good).clean());

  // A wrong fixed value in the header.
  std::string s = good;
  s.replace(s.find("*ID250;"), 7, "*ID251;");
  rtlview::DecodedStream d = decode(s);
  ASSERT_FALSE(d.clean());
  EXPECT_EQ(d.problems[0].offset, good.find("*ID250;"));

  // The stream cut inside a transfer.
  d = decode(good.substr(0, raster + 12));
  ASSERT_FALSE(d.clean());

  // Missing trailer.
  d = decode(good.substr(0, good.size() - 3));
  ASSERT_FALSE(d.clean());
  EXPECT_EQ(d.problems.back().offset, good.size() - 3);

  // Bytes after the trailer.
  d = decode(good + "X");
  ASSERT_FALSE(d.clean());
  EXPECT_EQ(d.problems[0].offset, good.size());

  // A transfer without its method command.
  s = good;
  const std::size_t method = s.find("\x1b*b", raster);
  s.erase(method, 5);  // ESC "*b2M" or ESC "*b0M"
  d = decode(s);
  ASSERT_FALSE(d.clean());
  EXPECT_EQ(d.problems[0].offset, method);
}

TEST(StreamDecode, PackBitsRowsThatDecodeWrongAreCaught) {
  const std::string head = [] {
    RecordingSink rec;
    ByteSink sink = rec.sink();
    writeJobStart(sink, 1, 64, 1);
    return rec.all();
  }();
  auto row = [](const std::string& k, const std::string& c, const std::string& m, const std::string& y) {
    return "\x1b*b2M\x1b*b" + std::to_string(k.size()) + "V" + k + "\x1b*b2M\x1b*b" + std::to_string(c.size()) + "V" + c +
           "\x1b*b2M\x1b*b" + std::to_string(m.size()) + "V" + m + "\x1b*b2M\x1b*b" + std::to_string(y.size()) + "W" + y;
  };
  const std::string tail = "\x1b*rC\x1b%0B\x1b" "EPG;";
  const std::string eight = std::string("\xf9\x00", 2);  // 8 zero bytes
  ASSERT_TRUE(decode(head + row(eight, eight, eight, eight) + tail).clean());

  // One plane decodes to 9 bytes instead of 8.
  const std::string nine = std::string("\xf8\x00", 2);
  rtlview::DecodedStream d = decode(head + row(eight, eight, nine, eight) + tail);
  ASSERT_FALSE(d.clean());
  // A literal record that runs past its transfer.
  d = decode(head + row(eight, std::string("\x05\x01\x02", 3), eight, eight) + tail);
  ASSERT_FALSE(d.clean());
  EXPECT_EQ(d.problems[0].offset, head.size() + 5 + 5 + 2 + 5 + 5);
  // Headers the encoder never writes.
  d = decode(head + row(eight, std::string("\x80\xf9\x00", 3), eight, eight) + tail);
  EXPECT_FALSE(d.clean());
  // A row with three planes only.
  d = decode(head + "\x1b*b2M\x1b*b2V" + eight + "\x1b*b2M\x1b*b2V" + eight + "\x1b*b2M\x1b*b2W" + eight + tail);
  EXPECT_FALSE(d.clean());
}

TEST(StreamDecode, RandomDamageIsReportedInsideTheStream) {
  // Flipped, dropped and inserted bytes anywhere: the decoder must stay
  // inside the data (the sanitized build checks every access), report
  // offsets within the stream, and keep its planes consistent.
  std::mt19937 rng(2026);
  Job job{16, 6, 2, 64, {}};
  for (int p = 0; p < 4; ++p) job.planes.push_back(makePlane(p % 2 ? Content::kRuns : Content::kRandom, 96, rng));
  const std::string good = encodeJob(job, 4);
  int damaged = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string s = good;
    const std::size_t at = rng() % s.size();
    switch (round % 3) {
      case 0: s[at] = static_cast<char>(s[at] ^ (1 << (rng() % 8))); break;
      case 1: s.erase(at, 1 + rng() % 4); break;
      case 2: s.insert(at, 1, static_cast<char>(rng())); break;
    }
    const rtlview::DecodedStream d = decode(s);
    for (const auto& p : d.problems) ASSERT_LE(p.offset, s.size()) << p.message;
    for (const auto& plane : d.planeRows) ASSERT_EQ(plane.size(), d.rows * d.rowBytes);
    if (!d.clean()) ++damaged;
  }
  EXPECT_GT(damaged, 2000);  // most damage is noticed (a flipped data bit inside a raw row is not)
}

}  // namespace
}  // namespace vexmoor
