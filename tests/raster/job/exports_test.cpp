// The exported functions of the module as a host sees them: the shared
// library with the stand-in host libraries and the file spooler.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/tessaro/tessaro_host.h"
#include "host/vindal/vindal_data.h"
#include "job_fakes.h"
#include "raster/job/vexmoor_exports.h"
#include "stream_reader.h"

namespace vexmoor::testing {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vexmoor-exports-XXXXXX";
    folder = mkdtemp(templ);
    setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
    setenv("PLEXOR_CONFIG", (folder + "/configuration").c_str(), 1);
    TessaroRegisterDevice("exports-dev", "Exports Printer");
    VindalAdjustData adjust;
    vindalDefaultAdjustData(&adjust);
    TessaroRegisterColorAdjustData(1, &adjust, sizeof adjust);
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + folder + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  void registerJob(int id, int bits, int screening) {
    std::vector<std::uint8_t> b = makeBlock(bits, screening);
    putWide(b, PPB_DEVICE_NAME, u"exports-dev");
    put32(b, PPB_COLOR_ADJUST_ID, 1);
    TessaroRegisterPrintParams(id, b.data());
  }
  std::string doc(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/doc-%04d.prn", n);
    return readFile(folder + "/Exports Printer" + name);  // the printer's own folder
  }
  std::string folder;
};

TEST_F(Exports, NullHandlesFailAndTheIdleExportsSucceed) {
  void* planes[1] = {nullptr};
  EXPECT_EQ(StartPrinter_16_FUNC(nullptr), 1);
  EXPECT_EQ(WritePrinter_16_FUNC(nullptr, planes, 1, 1, 1), 1);
  EXPECT_EQ(SendPrinter_16_FUNC(nullptr, planes, 1, 1, 1), 1);
  EXPECT_EQ(StopPrinter_16_FUNC(nullptr), 1);
  EXPECT_EQ(ClosePrinter_16_FUNC(nullptr), 1);
  EXPECT_EQ(StatPrinter_16_FUNC(), 0);
  EXPECT_EQ(PutPrinter_16_FUNC(), 0);
}

TEST_F(Exports, UnknownJobOpensNothing) {
  EXPECT_EQ(InitPrinter_16_FUNC(4242, nullptr, 10, 10, 4), nullptr);
  EXPECT_TRUE(doc(1).empty());
}

TEST_F(Exports, TwoJobsAtOnceWriteTwoCompleteDocuments) {
  registerJob(11, 1, 3);
  registerJob(12, 2, 3);
  void* a = InitPrinter_16_FUNC(11, nullptr, 64, 4, 4);
  void* b = InitPrinter_16_FUNC(12, nullptr, 64, 6, 4);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(StartPrinter_16_FUNC(a), 0);
  ASSERT_EQ(StartPrinter_16_FUNC(b), 0);
  std::vector<std::vector<std::uint8_t>> pa(4, std::vector<std::uint8_t>(8 * 2, 0x81));
  std::vector<std::vector<std::uint8_t>> pb(4, std::vector<std::uint8_t>(16 * 3, 0x42));
  void* xa[4] = {pa[0].data(), pa[1].data(), pa[2].data(), pa[3].data()};
  void* xb[4] = {pb[0].data(), pb[1].data(), pb[2].data(), pb[3].data()};
  for (int band = 0; band < 2; ++band) {
    EXPECT_EQ(SendPrinter_16_FUNC(a, xa, 64, 2, 4), 0);
    EXPECT_EQ(SendPrinter_16_FUNC(b, xb, 64, 3, 4), 0);
  }
  EXPECT_EQ(StopPrinter_16_FUNC(b), 0);
  EXPECT_EQ(StopPrinter_16_FUNC(a), 0);
  EXPECT_EQ(ClosePrinter_16_FUNC(a), 0);
  EXPECT_EQ(ClosePrinter_16_FUNC(b), 0);
  // The first document was started first (job 11).
  DecodedPage first = decodeRows(doc(1)), second = decodeRows(doc(2));
  ASSERT_TRUE(first.ok);
  ASSERT_TRUE(second.ok);
  EXPECT_NE(doc(1).find("*IP,1;"), std::string::npos);
  EXPECT_NE(doc(2).find("*IP,2;"), std::string::npos);
  ASSERT_EQ(first.rows[0].size(), 4u);
  ASSERT_EQ(second.rows[0].size(), 6u);
  EXPECT_EQ(first.rows[1][3], std::vector<std::uint8_t>(8, 0x81));
  EXPECT_EQ(second.rows[2][5], std::vector<std::uint8_t>(16, 0x42));
}

TEST_F(Exports, ContoneBandIsColourAdjustedAndDiffused) {
  registerJob(13, 1, 3);
  const int width = 256, height = 64;
  void* job = InitPrinter_16_FUNC(13, nullptr, width, height, 4);
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(StartPrinter_16_FUNC(job), 0);
  // 25 % cyan, nothing else, in bands of 16 rows.
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(std::size_t(width) * 16 * 2, 0));
  for (int band = 0; band < height / 16; ++band) {
    for (auto& p : planes) std::fill(p.begin(), p.end(), 0);
    for (std::size_t i = 0; i < planes[0].size(); i += 2) planes[0][i] = 0x00, planes[0][i + 1] = 0x40;
    void* x[4] = {planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data()};
    ASSERT_EQ(WritePrinter_16_FUNC(job, x, width, 16, 4), 0);
  }
  ASSERT_EQ(StopPrinter_16_FUNC(job), 0);
  ASSERT_EQ(ClosePrinter_16_FUNC(job), 0);
  DecodedPage page = decodeRows(doc(1));
  ASSERT_TRUE(page.ok);
  ASSERT_EQ(page.rows[1].size(), std::size_t(height));
  // Stream order K, C, M, Y; the default tone curve prints 0.25^1.1 of cyan.
  EXPECT_NEAR(dotShare(page.rows[1], width), 0.2176, 0.01);
  EXPECT_EQ(dotShare(page.rows[0], width), 0.0);
  EXPECT_EQ(dotShare(page.rows[2], width), 0.0);
  EXPECT_EQ(dotShare(page.rows[3], width), 0.0);
}

TEST_F(Exports, BannerModeSplitsTheJobIntoSeveralDocuments) {
  std::ofstream(folder + "/configuration") << "# split after 1 MiB\nBannerMode = 1\n";
  registerJob(14, 1, 3);
  // 8192 pixels: 1024 bytes a plane row, 4096 a row: 256 rows a document.
  void* job = InitPrinter_16_FUNC(14, nullptr, 8192, 600, 4);
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(StartPrinter_16_FUNC(job), 0);
  std::vector<std::uint8_t> plane(1024 * 100, 0);
  void* x[4] = {plane.data(), plane.data(), plane.data(), plane.data()};
  for (int band = 0; band < 6; ++band) ASSERT_EQ(SendPrinter_16_FUNC(job, x, 8192, 100, 4), 0);
  ASSERT_EQ(StopPrinter_16_FUNC(job), 0);
  ASSERT_EQ(ClosePrinter_16_FUNC(job), 0);
  EXPECT_EQ(countRowTransfers(doc(1)), 300);
  EXPECT_EQ(countRowTransfers(doc(2)), 300);
  // The last band crossed the limit too: the job-end commands open a third document.
  EXPECT_EQ(doc(3), "\x1b*rC\x1b%0B\x1b" "EPG;");
  EXPECT_EQ(doc(1).substr(0, 9), "\aKavex_PM");
  EXPECT_EQ(doc(2).substr(0, 3), "\x1b*b");
}

}  // namespace
}  // namespace vexmoor::testing
