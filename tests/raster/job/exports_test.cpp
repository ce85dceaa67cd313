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
  void registerJob(int id, int bits, int screening, const std::u16string& device = u"exports-dev") {
    std::vector<std::uint8_t> b = makeBlock(bits, screening);
    putWide(b, PPB_DEVICE_NAME, device);
    put32(b, PPB_COLOR_ADJUST_ID, 1);
    put32(b, PPB_SCREEN_ID, 1);
    TessaroRegisterPrintParams(id, b.data());
  }
  std::string doc(int n, const std::string& printer = "Exports Printer") {
    char name[32];
    std::snprintf(name, sizeof name, "/doc-%04d.prn", n);
    return readFile(folder + "/" + printer + name);  // the printer's own folder
  }
  // One job through the exports: the bands (4 planes each) handed over in
  // turn; the host's planes must read the same after each.
  struct Band { int width, lines; std::vector<std::vector<std::uint8_t>> planes; };
  void printJob(int id, int width, int height, const std::vector<Band>& bands) {
    void* job = InitPrinter_16_FUNC(id, nullptr, width, height, 4);
    ASSERT_EQ(StartPrinter_16_FUNC(job), 0);
    for (const Band& given : bands) {
      Band b = given;
      void* x[4] = {b.planes[0].data(), b.planes[1].data(), b.planes[2].data(), b.planes[3].data()};
      ASSERT_EQ(WritePrinter_16_FUNC(job, x, b.width, b.lines, 4), 0);
      ASSERT_TRUE(b.planes == given.planes);
    }
    ASSERT_EQ(StopPrinter_16_FUNC(job) + ClosePrinter_16_FUNC(job), 0);
  }
  void registerScreen() {  // four 2 x 2 screens for screening method 4
    static std::int16_t thresholds[4] = {32, 160, 224, 96};
    PlexorScreenEntry e{};
    e.width = e.height = 2;
    e.thresholds = thresholds;
    PlexorScreenEntry entries[4] = {e, e, e, e};
    TessaroRegisterScreen(1, 4, entries);
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

TEST_F(Exports, HostPlanesAreNeverWrittenAndTheSamePagePrintsTheSame) {
  registerScreen();
  Band band{64, 8, std::vector<std::vector<std::uint8_t>>(4, std::vector<std::uint8_t>(64 * 8 * 2))};
  for (std::size_t p = 0; p < 4; ++p)
    for (std::size_t i = 0; i < band.planes[0].size(); ++i) band.planes[p][i] = std::uint8_t(i * (p + 3) + i / 128);
  for (int n = 0; n < 4; ++n) {  // 1 and 2 bits; diffusion, and the dither that narrows
    registerJob(30 + n, 1 + n % 2, 3 + n / 2);
    for (int twice = 0; twice < 2; ++twice) printJob(30 + n, 64, 32, {band, band, band, band});
    EXPECT_TRUE(doc(2 * n + 1) == doc(2 * n + 2)) << n;
  }
}

TEST_F(Exports, NarrowerBandsPrintNoStaleDot) {
  registerScreen();
  auto planes = [](std::uint8_t v) { return std::vector<std::vector<std::uint8_t>>(4, std::vector<std::uint8_t>(64 * 8, v)); };
  for (int n = 0; n < 8; ++n) {  // 1 and 2 bits; diffusion and dither; after a band as wide as the page or not
    registerJob(40 + n, 1 + n % 2, 3 + n / 2 % 2);
    printJob(40 + n, 64, 8, {{n < 4 ? 64 : 16, 4, planes(0xFF)}, {16, 4, planes(0)}});  // then white, 16 wide
    DecodedPage page = decodeRows(doc(n + 1));
    ASSERT_TRUE(page.ok);
    for (auto& rows : page.rows) {
      ASSERT_EQ(rows.size(), 8u);
      EXPECT_GT(dotShare({rows.begin(), rows.begin() + 4}, 64), 0.0) << n;
      EXPECT_EQ(dotShare({rows.begin() + 4, rows.end()}, 64), 0.0) << n;  // no dot of the band before
    }
  }
}

TEST_F(Exports, ConcurrentSplitJobsOnTwoPrintersEachJoinToTheirUnsplitStream) {
  TessaroRegisterDevice("exports-dev2", "Second Printer");
  registerJob(60, 1, 3);
  registerJob(61, 1, 3, u"exports-dev2");
  // 8192 pixels: 1024 bytes a plane row; BannerMode 1 (1 MiB) splits after 256 rows.
  std::vector<std::uint8_t> a(1024 * 100 + 1);  // job 61 sends it one byte on
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = std::uint8_t(i / 7);
  auto run = [&](std::vector<int> ids) {  // the jobs' bands in turn
    std::vector<void*> jobs;
    for (int id : ids) jobs.push_back(InitPrinter_16_FUNC(id, nullptr, 8192, 600, 4));
    for (void* j : jobs) ASSERT_EQ(StartPrinter_16_FUNC(j), 0);
    for (int band = 0; band < 6; ++band)
      for (std::size_t k = 0; k < jobs.size(); ++k) {
        void* p = a.data() + (ids[k] - 60), *x[4] = {p, p, p, p};
        ASSERT_EQ(SendPrinter_16_FUNC(jobs[k], x, 8192, 100, 4), 0);
      }
    for (void* j : jobs) ASSERT_EQ(StopPrinter_16_FUNC(j) + ClosePrinter_16_FUNC(j), 0);
  };
  std::ofstream(folder + "/configuration") << "BannerMode = 1\n";
  run({60, 61});
  std::ofstream(folder + "/configuration") << "BannerMode = 1\nSpoolMode = 1\n";
  run({60});
  run({61});
  for (std::string printer : {"Exports Printer", "Second Printer"})
    EXPECT_TRUE(doc(1, printer) + doc(2, printer) + doc(3, printer) == doc(4, printer)) << printer;
  EXPECT_TRUE(doc(4) != doc(4, "Second Printer"));
}

}  // namespace
}  // namespace vexmoor::testing
