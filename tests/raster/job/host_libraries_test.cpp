// The stand-in host libraries: tessaro serves what the host registered,
// vindal separates really, ombrix diffuses really.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/tessaro/tessaro_host.h"
#include "host/vindal/vindal_data.h"
#include "raster/job/host_contract.h"

namespace {

std::vector<std::uint8_t> plane16(int pixels, std::uint16_t value) {
  std::vector<std::uint8_t> p(std::size_t(pixels) * 2);
  for (int i = 0; i < pixels; ++i) p[2 * i] = std::uint8_t(value), p[2 * i + 1] = std::uint8_t(value >> 8);
  return p;
}

std::uint16_t sample(const std::vector<std::uint8_t>& p, int i) {
  return std::uint16_t(p[2 * std::size_t(i)] | (p[2 * std::size_t(i) + 1] << 8));
}

int popcount(const std::vector<std::uint8_t>& bytes) {
  int n = 0;
  for (auto b : bytes)
    for (int k = 0; k < 8; ++k) n += (b >> k) & 1;
  return n;
}

// ---- tessaro ----

TEST(Tessaro, ServesTheRegisteredBlockAndKeepsOnlyTheModulesFlag) {
  std::vector<std::uint8_t> block(PLEXOR_PARAM_BLOCK_SIZE, 0);
  std::memcpy(block.data(), "NVPMD", 6);
  TessaroRegisterPrintParams(901, block.data());
  std::vector<std::uint8_t> copy(PLEXOR_PARAM_BLOCK_SIZE);
  std::uint32_t token = 0;
  ASSERT_EQ(GetPrintParams(901, copy.data(), 1, &token), 1);
  EXPECT_EQ(copy, block);
  TessaroSetStopWaiting(901, 1);  // the host sets its flag after the fetch
  copy[PPB_WAITING] = 1;
  copy[PPB_STOP_WAITING] = 0;
  ASSERT_EQ(SetPrintParams(901, copy.data(), 1, token), 1);
  std::uint8_t waiting = 0, stop = 0;
  ASSERT_EQ(TessaroReadFlags(901, &waiting, &stop), 1);
  EXPECT_EQ(waiting, 1);
  EXPECT_EQ(stop, 1);  // not overwritten by the module's stale copy
  TessaroForgetPrintParams(901);
  EXPECT_EQ(GetPrintParams(901, copy.data(), 0, &token), 0);
}

TEST(Tessaro, DeviceInformationCarriesThePrinterNameAt1024) {
  TessaroRegisterDevice("dev-a", "Printer %d");
  std::vector<char> record(PLEXOR_DEVINFO_SIZE, 'x');
  ASSERT_EQ(GetRIPDevInfo("dev-a", record.data()), 1);
  EXPECT_STREQ(record.data() + PLEXOR_DEVINFO_NAME_OFFSET, "Printer %d");
  EXPECT_EQ(GetRIPDevInfo("unknown", record.data()), 0);
}

TEST(Tessaro, ScreensAndCopyBitmapsAreServed) {
  std::int16_t t[6] = {1, 2, 3, 4, 5, 6};
  PlexorScreenEntry e{};
  e.width = 3;
  e.height = 2;
  e.shift = 1;
  e.thresholds = t;
  TessaroRegisterScreen(77, 1, &e);
  t[0] = 100;  // the library holds its own copy
  PlexorScreenRecord r{};
  std::uint32_t token;
  ASSERT_EQ(GetScreenData(77, &r, 0, &token), 1);
  ASSERT_EQ(r.entryCount, 1);
  EXPECT_EQ(r.entries[0].width, 3);
  EXPECT_EQ(r.entries[0].thresholds[0], 1);
  EXPECT_EQ(r.entries[0].thresholds[5], 6);

  std::vector<std::uint8_t> bitmap(300);
  for (int i = 0; i < 300; ++i) bitmap[i] = std::uint8_t(i);
  TessaroRegisterCopyBitmap(5, bitmap.data(), 300);
  // The same bytes served from a file that the host registered.
  const std::string path = ::testing::TempDir() + "tessaro_bitmap.bin";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bitmap.data(), 1, bitmap.size(), f);
  std::fclose(f);
  TessaroRegisterCopyBitmapFile(8, path.c_str());
  for (int id : {5, 8}) {
    int h = OpenCopyBitmap(id);
    ASSERT_NE(h, -1);
    EXPECT_EQ(SeekCopyBitmap(h, 256, 0, 0), 1);
    std::uint8_t buf[64];
    EXPECT_EQ(ReadCopyBitmap(h, buf, 40), 40);
    EXPECT_EQ(buf[0], 0);  // byte 256
    EXPECT_EQ(ReadCopyBitmap(h, buf, 40), 4);  // only 4 bytes remain
    EXPECT_EQ(buf[0], std::uint8_t(296));
    CloseCopyBitmap(h);
  }
  EXPECT_EQ(OpenCopyBitmap(6), -1);
  TessaroRegisterCopyBitmapFile(9, (path + ".missing").c_str());
  EXPECT_EQ(OpenCopyBitmap(9), -1);
}

// A job on another thread may still read what it was handed when the host
// registers again (a use after free under AddressSanitizer before).
TEST(Tessaro, WhatWasHandedOutOutlivesALaterRegistration) {
  std::int16_t t[4] = {1, 2, 3, 4};
  PlexorScreenEntry e{};
  e.width = e.height = 2;
  e.thresholds = t;
  TessaroRegisterScreen(78, 1, &e);
  PlexorScreenRecord before{};
  std::uint32_t token;
  ASSERT_EQ(GetScreenData(78, &before, 0, &token), 1);
  std::uint8_t bytes[260] = {};
  bytes[256] = 0x5A;
  TessaroRegisterCopyBitmap(15, bytes, sizeof bytes);
  const int h = OpenCopyBitmap(15);
  ASSERT_NE(h, -1);
  for (std::int16_t value : {7, 9}) {
    std::fill(t, t + 4, value);
    TessaroRegisterScreen(78, 1, &e);
    TessaroRegisterCopyBitmapFile(15, "missing.cb");
  }
  EXPECT_EQ(before.entries[0].thresholds[3], 4);
  PlexorScreenRecord after{};
  ASSERT_EQ(GetScreenData(78, &after, 0, &token), 1);
  EXPECT_EQ(after.entries[0].thresholds[3], 9);
  std::uint8_t row[4] = {};
  EXPECT_EQ(SeekCopyBitmap(h, 256, 0, 0), 1);
  EXPECT_EQ(ReadCopyBitmap(h, row, 4), 4);  // the bytes it was opened on
  EXPECT_EQ(row[0], 0x5A);
  CloseCopyBitmap(h);
}

// ---- vindal ----

class Vindal : public ::testing::Test {
 protected:
  void SetUp() override {
    vindalDefaultAdjustData(&data);
    data.gammaMilli[0] = data.gammaMilli[1] = data.gammaMilli[2] = 1000;  // linear for exact checks
  }
  VindalAdjustData data;
};

TEST_F(Vindal, CmykKeepsAmountsBelowTheInkLimitAndCutsColourAboveIt) {
  void* h = OpenColorAdjust_CMYK(&data);
  ASSERT_NE(h, nullptr);
  auto c = plane16(2, 0x8000), m = plane16(2, 0x8000), y = plane16(2, 0), k = plane16(2, 0);
  // Pixel 1: 100 % of every ink, 400 % in total against a 300 % limit.
  for (auto* p : {&c, &m, &y, &k}) (*p)[2] = (*p)[3] = 0xFF;
  void* planes[4] = {c.data(), m.data(), y.data(), k.data()};
  WriteColorAdjust_CMYK_old(h, planes, 2, 1, 4);
  EXPECT_NEAR(sample(c, 0), 0x8000, 2);
  EXPECT_EQ(sample(y, 0), 0);
  EXPECT_EQ(sample(k, 1), 65535);  // black is kept
  double total = (sample(c, 1) + sample(m, 1) + sample(y, 1) + sample(k, 1)) / 65535.0;
  EXPECT_NEAR(total, 3.0, 0.001);
  EXPECT_NEAR(sample(c, 1), sample(m, 1), 1);
  CloseColorAdjust_CMYK(h);
}

TEST_F(Vindal, GammaDarkensMidTones) {
  data.gammaMilli[0] = 2000;
  void* h = OpenColorAdjust_CMYK(&data);
  auto c = plane16(1, 0x8000), m = plane16(1, 0), y = plane16(1, 0), k = plane16(1, 0);
  void* planes[4] = {c.data(), m.data(), y.data(), k.data()};
  WriteColorAdjust_CMYK_old(h, planes, 1, 1, 4);
  EXPECT_NEAR(sample(c, 0) / 65535.0, 0.25, 0.002);
  CloseColorAdjust_CMYK(h);
}

TEST_F(Vindal, OrangeAndGreenTakeOverTheOverlaps) {
  void* h = OpenColorAdjust_CMYKOrGr(&data);
  auto c = plane16(1, 0), m = plane16(1, 0xFFFF), y = plane16(1, 0xFFFF), k = plane16(1, 0);
  std::vector<std::vector<std::uint8_t>> out(6, plane16(1, 0x1234));
  void* in[4] = {c.data(), m.data(), y.data(), k.data()};
  void* conv[6];
  for (int i = 0; i < 6; ++i) conv[i] = out[std::size_t(i)].data();
  WriteColorAdjust_CMYKOrGr(h, in, 1, 1, 4, conv, 6);
  // Red (M + Y): 60 % of the overlap goes to orange.
  EXPECT_NEAR(sample(out[4], 0) / 65535.0, 0.6, 0.001);
  EXPECT_NEAR(sample(out[1], 0) / 65535.0, 0.4, 0.001);
  EXPECT_NEAR(sample(out[2], 0) / 65535.0, 0.4, 0.001);
  EXPECT_EQ(sample(out[5], 0), 0);  // no cyan, no green
  EXPECT_EQ(sample(out[0], 0), 0);
  CloseColorAdjust_CMYKOrGr(h);
}

TEST_F(Vindal, LightInksKeepThePrintedDensity) {
  void* h = OpenColorAdjust_CMYKLcLm(&data);
  const double r = data.lightDensity / 1000.0;
  for (double amount : {0.1, 0.3, 0.35, 0.5, 0.9, 1.0}) {
    auto c = plane16(1, std::uint16_t(amount * 65535)), m = plane16(1, 0), y = plane16(1, 0), k = plane16(1, 0);
    std::vector<std::vector<std::uint8_t>> out(6, plane16(1, 0));
    void* in[4] = {c.data(), m.data(), y.data(), k.data()};
    void* conv[6];
    for (int i = 0; i < 6; ++i) conv[i] = out[std::size_t(i)].data();
    WriteColorAdjust_CMYKLcLm(h, in, 1, 1, 4, conv, 6);
    double dark = sample(out[0], 0) / 65535.0, light = sample(out[4], 0) / 65535.0;
    EXPECT_NEAR(dark + r * light, amount, 0.001) << amount;
    if (amount <= r) {
      EXPECT_EQ(dark, 0.0) << amount;
    }
  }
  CloseColorAdjust_CMYKLcLm(h);
}

// ---- ombrix ----

TEST(Ombrix, OneBitDiffusionPrintsTheGreyLevelsShareOfDots) {
  const int width = 200, lines = 100, rowLength = 28;  // 224 pixels a row
  void* h = OpenErrdiff(1, width, 1);
  ASSERT_NE(h, nullptr);
  for (double level : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    auto in = plane16(width * lines, std::uint16_t(level * 65535));
    std::vector<std::uint8_t> out(std::size_t(rowLength) * lines, 0);
    void* conv[1] = {in.data()};
    void* scr[1] = {out.data()};
    WriteErrdiff(h, 1, conv, scr, width, rowLength, lines, 0, 0);
    EXPECT_NEAR(popcount(out) / double(width * lines), level, 0.01) << level;
  }
  CloseErrdiff(h);
}

TEST(Ombrix, DiffusionIsNotAThresholdOrAPattern) {
  const int width = 64, lines = 64, rowLength = 8;
  void* h = OpenErrdiff(1, width, 1);
  auto in = plane16(width * lines, 0x4000);
  std::vector<std::uint8_t> out(std::size_t(rowLength) * lines, 0);
  void* conv[1] = {in.data()};
  void* scr[1] = {out.data()};
  WriteErrdiff(h, 1, conv, scr, width, rowLength, lines, 0, 0);
  // A quarter grey: isolated dots, never two neighbours on a row.
  int neighbours = 0;
  for (int r = 0; r < lines; ++r)
    for (int x = 0; x + 1 < width; ++x) {
      auto bit = [&](int px) { return (out[std::size_t(r) * rowLength + px / 8] >> (7 - px % 8)) & 1; };
      neighbours += bit(x) && bit(x + 1);
    }
  EXPECT_EQ(neighbours, 0);
  EXPECT_GT(popcount(out), 0);
  CloseErrdiff(h);
}

TEST(Ombrix, LeftOffsetRowLengthAndMirrorAreHonoured) {
  const int width = 10, rowLength = 4;
  void* h = OpenErrdiff(1, width, 1);
  auto in = plane16(width, 0);
  in[0] = in[1] = 0xFF;  // only pixel 0 is full ink
  std::vector<std::uint8_t> out(rowLength, 0xEE);
  void* conv[1] = {in.data()};
  void* scr[1] = {out.data()};
  WriteErrdiff(h, 1, conv, scr, width, rowLength, 1, 3, 0);
  // Pixels 0..2 untouched (0xEE has bits 0,1,2 = 1,1,1), pixel 3 set,
  // 4..12 clear, 13.. beyond the image untouched.
  EXPECT_EQ(out[0], 0xF0);
  EXPECT_EQ(out[1], 0xEE & 0x07);
  EXPECT_EQ(out[2], 0xEE);
  std::fill(out.begin(), out.end(), 0);
  WriteErrdiff(h, 1, conv, scr, width, rowLength, 1, 3, 1);  // mirrored: pixel 0 lands on 3 + 9
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[1], 0x08);
  CloseErrdiff(h);
}

TEST(Ombrix, FourLevelsUseTwoBitsPerPixel) {
  const int width = 4, rowLength = 4;
  PlexorErrdiffParams params{};
  params.inkCount = 1;
  params.levels = 4;
  void* h = OpenErrdiff4(1, width, 1, &params);
  ASSERT_NE(h, nullptr);
  auto in = plane16(width, 0);
  const std::uint16_t levels[4] = {0, 21845, 43690, 65535};
  for (int i = 0; i < 4; ++i) in[2 * i] = std::uint8_t(levels[i]), in[2 * i + 1] = std::uint8_t(levels[i] >> 8);
  std::vector<std::uint8_t> out(rowLength, 0);
  void* conv[1] = {in.data()};
  void* scr[1] = {out.data()};
  WriteErrdiff4(h, 1, conv, scr, width, rowLength, 1, 0, 0);
  EXPECT_EQ(out[0], 0x1B);  // 00 01 10 11
  CloseErrdiff4(h);
}

TEST(Ombrix, NeverWritesPastTheRow) {
  const int width = 100, rowLength = 4;  // the row holds 32 pixels only
  void* h = OpenErrdiff(1, width, 1);
  auto in = plane16(width, 0xFFFF);
  std::vector<std::uint8_t> out(rowLength + 4, 0);
  void* conv[1] = {in.data()};
  void* scr[1] = {out.data()};
  WriteErrdiff(h, 1, conv, scr, width, rowLength, 1, 0, 0);
  EXPECT_EQ(out[3], 0xFF);
  EXPECT_EQ(out[4], 0x00);
  CloseErrdiff(h);
}

}  // namespace
