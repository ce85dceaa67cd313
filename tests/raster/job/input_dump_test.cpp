// The input dump file, byte for byte.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#endif

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "job_fakes.h"
#include "raster/job/input_dump_file.h"

namespace vexmoor::testing {
namespace {

bool inherited(int fd) {
#ifdef _WIN32
  DWORD flags = 0;
  return GetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &flags) && (flags & HANDLE_FLAG_INHERIT);
#else
  return (fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0;
#endif
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InputDump : public ::testing::Test {
 protected:
  void SetUp() override {
    path = scratchFile("vexmoor_dump_test.bin");
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }
  std::string path;
  FakeWorld w;
};

TEST_F(InputDump, HeaderFor1000By500FourPlanes) {
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 1000, 500, 4);
  ASSERT_NE(d, nullptr);
  closeInputDump(w.env(), d);
  std::vector<std::uint8_t> bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 512u);
  const std::vector<std::uint8_t> expected = {'T', 'I', 'T', 'N', 5, 0, 22, 0, 0xE8, 0x03, 0xF4,
                                              0x01, ',', 1, ',', 1, 4, 2, 0, 0, 1, '1'};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 22), expected);
  for (std::size_t i = 22; i < 512; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

TEST_F(InputDump, TypeByteFollowsThePlaneCount) {
  std::uint8_t h[512];
  const int types[][2] = {{1, 0}, {3, 1}, {6, 3}, {2, 2}, {4, 2}, {7, 2}};
  for (auto& t : types) {
    buildDumpHeader(10, 10, t[0], h);
    EXPECT_EQ(h[17], t[1]) << t[0];
  }
}

TEST_F(InputDump, ContoneRowsHoldTheHighBytesPixelByPixel) {
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 3, 2, 2);
  ASSERT_NE(d, nullptr);
  // Two planes, 3 x 2 samples each, little-endian.
  std::vector<std::uint8_t> p0 = {0x01, 0xA0, 0x02, 0xA1, 0x03, 0xA2, 0x04, 0xA3, 0x05, 0xA4, 0x06, 0xA5};
  std::vector<std::uint8_t> p1 = {0x11, 0xB0, 0x12, 0xB1, 0x13, 0xB2, 0x14, 0xB3, 0x15, 0xB4, 0x16, 0xB5};
  const void* planes[2] = {p0.data(), p1.data()};
  ASSERT_TRUE(appendContoneBand(*d, planes, 3, 2, 2));
  closeInputDump(w.env(), d);
  std::vector<std::uint8_t> bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 512u + 12u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 512, bytes.end()),
            (std::vector<std::uint8_t>{0xA0, 0xB0, 0xA1, 0xB1, 0xA2, 0xB2, 0xA3, 0xB3, 0xA4, 0xB4, 0xA5, 0xB5}));
}

TEST_F(InputDump, ScreenedRowsHoldThePackedBytesWithinTheRow) {
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 40, 2, 2);
  ASSERT_NE(d, nullptr);
  // Rows 12 bytes apart; the record takes the first 8 bytes of each.
  std::vector<std::uint8_t> p0(24), p1(24);
  for (int i = 0; i < 24; ++i) p0[i] = std::uint8_t(i), p1[i] = std::uint8_t(0x80 + i);
  const void* planes[2] = {p0.data(), p1.data()};
  ASSERT_TRUE(appendScreenedBand(*d, planes, 8, 12, 2, 2));
  closeInputDump(w.env(), d);
  std::vector<std::uint8_t> bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 512u + 32u);
  std::vector<std::uint8_t> expected;
  for (int row = 0; row < 2; ++row)
    for (int k = 0; k < 8; ++k) expected.push_back(std::uint8_t(row * 12 + k)), expected.push_back(std::uint8_t(0x80 + row * 12 + k));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 512, bytes.end()), expected);
}

TEST_F(InputDump, NarrowPagesStillHoldAWholePackedRow) {
  // Width 1: a packed 2-bit row is 8 bytes, more than the width.
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 1, 1, 1);
  ASSERT_NE(d, nullptr);
  std::vector<std::uint8_t> p(8, 0x5A);
  const void* planes[1] = {p.data()};
  EXPECT_TRUE(appendScreenedBand(*d, planes, 8, 8, 1, 1));
  closeInputDump(w.env(), d);
  EXPECT_EQ(readBytes(path).size(), 520u);
}

TEST_F(InputDump, RefusesRecordsLargerThanTheLineBuffer) {
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 4, 1, 2);
  ASSERT_NE(d, nullptr);
  std::vector<std::uint8_t> p(64);
  const void* planes[3] = {p.data(), p.data(), p.data()};
  EXPECT_FALSE(appendContoneBand(*d, planes, 4, 1, 3));   // more planes than opened
  EXPECT_FALSE(appendContoneBand(*d, planes, 9, 1, 2));   // wider than opened
  EXPECT_FALSE(appendScreenedBand(*d, planes, 12, 8, 1, 1));  // record beyond the row
  closeInputDump(w.env(), d);
  EXPECT_EQ(readBytes(path).size(), 512u);
}

// A reused path holds only the new dump, and the host's child processes do
// not inherit the open file.
TEST_F(InputDump, ExistingFileIsReplacedAndNotInherited) {
  {
    std::ofstream out(path, std::ios::binary);
    out << std::string(600, 'z');
  }
  InputDumpFile* d = openInputDump(w.env(), path.c_str(), 2, 2, 1);
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(inherited(d->file));
  closeInputDump(w.env(), d);
  std::vector<std::uint8_t> bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 512u);
  EXPECT_EQ(bytes[0], 'T');
}

TEST_F(InputDump, UncreatableFileOrAllocationFailureGivesNoDump) {
  std::string bad = scratchFile("no/such/folder/dump.bin");
  EXPECT_EQ(openInputDump(w.env(), bad.c_str(), 10, 10, 4), nullptr);
  for (int n = 1; n <= 2; ++n) {
    w.memory.failAt = w.memory.allocations + n;
    EXPECT_EQ(openInputDump(w.env(), path.c_str(), 10, 10, 4), nullptr);
  }
  EXPECT_EQ(w.memory.allocations - 2, w.memory.releases);  // the two failed allocations gave nothing
}

}  // namespace
}  // namespace vexmoor::testing
