// The exported functions of the module as a host sees them: the shared
// library with the stand-in host libraries and the file spooler.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <random>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
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

// Template printers (a folder per job, named with the counter) and a code
// page 932 name: a job that never began or withdrew its document leaves no
// folder, a whole one leaves its document.
TEST_F(Exports, TemplateJobsLeaveFoldersOnlyWithDocumentsAndCodePage932NamesPrint) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder);  // the counter file is the current folder's
  TessaroRegisterDevice("exports-template", "Job %d"), TessaroRegisterDevice("exports-cp932", "\x83v\x83\x8A\x83\x93\x83^");
  registerJob(70, 1, 3, u"exports-template"), registerJob(71, 1, 3, u"exports-cp932");
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(8 * 2, 0x81));
  void* x[4] = {planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data()};
  for (int stage = 0; stage < 4; ++stage) {  // closed at open, after a start, after a band; whole
    void* job = InitPrinter_16_FUNC(70, nullptr, 64, 4, 4);
    ASSERT_NE(job, nullptr);
    if (stage > 0) EXPECT_EQ(StartPrinter_16_FUNC(job), 0);
    if (stage > 1) EXPECT_EQ(SendPrinter_16_FUNC(job, x, 64, 2, 4), 0);
    if (stage > 2) EXPECT_EQ(StopPrinter_16_FUNC(job), 0);
    EXPECT_EQ(ClosePrinter_16_FUNC(job), 0);
  }
  void* job = InitPrinter_16_FUNC(71, nullptr, 64, 4, 4);
  ASSERT_TRUE(job && StartPrinter_16_FUNC(job) + StopPrinter_16_FUNC(job) + ClosePrinter_16_FUNC(job) == 0);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(readFile(folder + "/cntxout.log"), "5\n");
  EXPECT_FALSE(doc(1, "Job 4").empty());
  EXPECT_FALSE(doc(1, "%83v%83%8A%83%93%83^").empty());
  std::vector<std::string> printers;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_directory()) printers.push_back(entry.path().filename());
  EXPECT_EQ(printers.size(), 2u);  // nothing of jobs 1 to 3
}

// Eight jobs of different kinds, each run alone and then all at once on eight
// threads: every document and dump of the run at once is byte for byte the
// one the job gave alone. Also run under ThreadSanitizer (scripts/sanitize.sh).
struct JobKind {
  int bits, screening, mirror, inkSet, leftOffset, topOffset;
  bool send, dump, layout;
};
const JobKind kKinds[8] = {
    {1, 3, 0, 2, 0, 0, false, false, false},  // error diffusion
    {2, 3, 1, 2, 0, 0, false, false, false},  // four levels, mirrored
    {1, 5, 0, 6, 0, 0, false, false, false},  // + orange and green: converted planes of its own
    {1, 4, 0, 2, 0, 0, false, false, false},  // dither matrices
    {2, 4, 1, 2, 5, 3, false, false, false},  // dither at 2 bits, mirrored, offsets
    {2, 0, 1, 2, 0, 2, true, true, false},    // screened planes, mirrored, with a dump
    {1, 3, 0, 7, 0, 0, false, true, false},   // + light inks, with a dump
    {1, 3, 0, 2, 0, 0, false, false, true},   // a copy layout
};

class ConcurrentJobs : public Exports {
 protected:
  static constexpr int kHeight = 40, kBand = 16;
  static int width(int k) { return 96 + 8 * k; }
  std::string dumpPath(int k, const char* run) const { return folder + "/dump-" + run + std::to_string(k) + ".bin"; }
  void registerJobs() {
    std::int16_t thresholds[16];  // a 4 x 4 screen for every ink
    for (int i = 0; i < 16; ++i) thresholds[i] = std::int16_t((i * 7 % 16) * 16 + 8);
    PlexorScreenEntry entries[4] = {};
    for (PlexorScreenEntry& e : entries) e.width = e.height = 4, e.thresholds = thresholds;
    TessaroRegisterScreen(3, 4, entries);
    // Two copies side by side down the page: two records, one group of two items.
    std::vector<std::uint8_t> layout(176, 0);
    auto put = [&layout](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) layout[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    put(0, 2), put(8, kHeight), put(16, kHeight), put(20, 256), put(32, 176);
    for (std::uint32_t r = 0; r < 2; ++r) put(48 + 56 * r, 31 + r), put(84 + 56 * r, 2 + r), put(88 + 56 * r, 4);
    put(152, kHeight), put(156, 2), put(168, 100), put(172, 1);
    std::ofstream(folder + "/layout.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(layout.data()), std::streamsize(layout.size()));
    for (int id : {31, 32}) {  // 4 planes of 2 and 3 bytes a row
      std::vector<std::uint8_t> copy(256 + std::size_t(kHeight * 4 * (id - 29)));
      for (std::size_t i = 0; i < copy.size(); ++i) copy[i] = std::uint8_t(i * 5 + std::size_t(id));
      copy[36] = '1';
      TessaroRegisterCopyBitmap(id, copy.data(), std::int64_t(copy.size()));
    }
    for (int k = 0; k < 8; ++k) {
      const JobKind& j = kKinds[k];
      std::vector<std::uint8_t> b = makeBlock(j.bits, j.screening);
      putWide(b, PPB_DEVICE_NAME, u"exports-dev");
      put32(b, PPB_COLOR_ADJUST_ID, 1);
      put32(b, PPB_SCREEN_ID, 3);
      b[PPB_INK_SET] = std::uint8_t(j.inkSet);
      b[PPB_MIRROR] = std::uint8_t(j.mirror);
      put32(b, PPB_LEFT_OFFSET, j.leftOffset);
      put32(b, PPB_TOP_OFFSET, j.topOffset);
      if (j.layout) std::strcpy(reinterpret_cast<char*>(&b[PPB_LAYOUT_PATH]), (folder + "/layout.bin").c_str());
      TessaroRegisterPrintParams(200 + k, b.data());
    }
  }
  // One job from Init to Close, its planes made afresh: a pattern of its own.
  static void runJob(int k, const std::string& dump) {
    const JobKind& j = kKinds[k];
    const int w = width(k);
    void* job = InitPrinter_16_FUNC(200 + k, j.dump ? dump.c_str() : nullptr, w, kHeight, 4);
    ASSERT_NE(job, nullptr) << k;
    ASSERT_EQ(StartPrinter_16_FUNC(job), 0) << k;
    const int rowLength = j.bits * ((j.layout ? 256 : w + j.leftOffset) + 31) / 32 * 4;
    for (int top = 0; top < kHeight; top += kBand) {
      const int lines = std::min(kBand, kHeight - top);
      std::vector<std::vector<std::uint8_t>> planes(4);
      void* x[4];
      for (int p = 0; p < 4; ++p) {
        std::vector<std::uint8_t>& plane = planes[std::size_t(p)];
        plane.resize(std::size_t(j.send ? rowLength : 2 * w) * std::size_t(lines));
        for (std::size_t i = 0; i < plane.size(); ++i)
          plane[i] = std::uint8_t((i * (7 + p) + std::size_t(top) * 13 + std::size_t(k) * 29) >> (j.send ? 0 : 2));
        x[p] = plane.data();
      }
      const int result = j.send ? SendPrinter_16_FUNC(job, x, w, lines, 4) : WritePrinter_16_FUNC(job, x, w, lines, 4);
      EXPECT_EQ(result, 0) << k;
    }
    EXPECT_EQ(StopPrinter_16_FUNC(job), 0) << k;
    EXPECT_EQ(ClosePrinter_16_FUNC(job), 0) << k;
  }
  // Every file the spooler wrote under the folder, whatever its layout.
  static std::vector<std::string> documents(const std::string& spool) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(spool))
      if (entry.is_regular_file()) out.push_back(readFile(entry.path().string()));
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(ConcurrentJobs, EightJobsAtOnceEachPrintAsAlone) {
  registerJobs();
  std::vector<std::string> alone;
  for (int k = 0; k < 8; ++k) {
    const std::string spool = folder + "/alone" + std::to_string(k);
    std::filesystem::create_directory(spool);
    setenv("PLEXOR_SPOOL_DIR", spool.c_str(), 1);
    runJob(k, dumpPath(k, "alone"));
    std::vector<std::string> docs = documents(spool);
    ASSERT_EQ(docs.size(), 1u) << k;
    DecodedPage page = decodeRows(docs[0]);
    ASSERT_TRUE(page.ok) << k;
    for (int p = 0; p < 4; ++p) {  // a whole page, with dots in every plane
      EXPECT_EQ(page.rowCount[p], std::size_t(kHeight + kKinds[k].topOffset)) << k;
      EXPECT_GT(dotShare(page.rows[p], width(k)), 0.0) << k << " " << p;
      if (kKinds[k].layout) {
        EXPECT_EQ(page.rows[p][0].size(), 32u);  // the layout's page: 256 pixels
      }
    }
    alone.push_back(docs[0]);
  }
  std::sort(alone.begin(), alone.end());
  ASSERT_EQ(std::adjacent_find(alone.begin(), alone.end()), alone.end());  // eight different pages

  const std::string spool = folder + "/together";
  std::filesystem::create_directory(spool);
  setenv("PLEXOR_SPOOL_DIR", spool.c_str(), 1);
  std::vector<std::thread> threads;
  for (int k = 0; k < 8; ++k) threads.emplace_back([this, k] { runJob(k, dumpPath(k, "together")); });
  for (std::thread& t : threads) t.join();
  EXPECT_TRUE(documents(spool) == alone);
  for (int k = 0; k < 8; ++k)
    if (kKinds[k].dump) {
      EXPECT_GT(readFile(dumpPath(k, "alone")).size(), 512u);
      EXPECT_EQ(readFile(dumpPath(k, "together")), readFile(dumpPath(k, "alone"))) << k;
    }
}

// Seeded random jobs (VEXMOOR_STRESS_SEED, else a fixed seed) of every legal
// kind, abandoned at random points or failing their start, on twelve threads
// at once: the documents, dumps and results are those of the same jobs alone.
struct RandomJob {
  int id, width, height, band, planes, bits, screening, inkSet, mirror, left, top, stopAt;  // 6: whole, else calls made
  bool dump, layout, badMode;
};
TEST_F(ConcurrentJobs, SeededRandomJobsOnTwelveThreadsEachEndAsAlone) {
  registerJobs();
  const char* given = std::getenv("VEXMOOR_STRESS_SEED");
  const unsigned seed = given ? unsigned(std::strtoul(given, nullptr, 10)) : 2029u;
  SCOPED_TRACE("VEXMOOR_STRESS_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  constexpr int kThreads = 12, kEach = 25;
  std::vector<RandomJob> jobs;
  for (int n = 0; n < kThreads * kEach; ++n) {
    static const int screenings[] = {0, 3, 4, 5};
    RandomJob j{400 + n, pick(24, 180), pick(1, 40), pick(1, 16), 4, pick(1, 2), screenings[pick(0, 3)], 2,
                pick(0, 1), pick(0, 13), pick(0, 5), std::min(pick(0, 11), 6), pick(0, 5) == 0, pick(0, 5) == 0, pick(0, 11) == 0};
    if (j.screening == 3 || j.screening == 5) j.inkSet = std::array<int, 3>{2, 6, 7}[std::size_t(pick(0, 2))];
    if (j.screening == 0) j.planes = pick(1, 4);
    j.layout = j.layout && j.screening != 4 && j.width + j.left <= 256;
    std::vector<std::uint8_t> b = makeBlock(j.bits, j.screening);
    putWide(b, PPB_DEVICE_NAME, u"exports-dev");
    put32(b, PPB_COLOR_ADJUST_ID, 1), put32(b, PPB_SCREEN_ID, 3), put32(b, PPB_LEFT_OFFSET, j.left), put32(b, PPB_TOP_OFFSET, j.top);
    b[PPB_INK_SET] = std::uint8_t(j.inkSet), b[PPB_MIRROR] = std::uint8_t(j.mirror);
    if (j.badMode) putWide(b, PPB_MODE_NAME, u"Plain paper");  // no mode: the start fails
    if (j.layout) std::strcpy(reinterpret_cast<char*>(&b[PPB_LAYOUT_PATH]), (folder + "/layout.bin").c_str());
    TessaroRegisterPrintParams(j.id, b.data());
    jobs.push_back(j);
  }
  // Runs a job as far as its abandon point: the results of its calls in order.
  auto run = [this](const RandomJob& j, const char* mode) {
    const std::string dump = dumpPath(j.id, mode);
    std::vector<int> results;
    void* job = InitPrinter_16_FUNC(j.id, j.dump ? dump.c_str() : nullptr, j.width, j.height, 4);
    if (!job) return std::vector<int>{-1};
    if (j.stopAt > 0) results.push_back(StartPrinter_16_FUNC(job));
    const int rowLength = j.bits * ((j.layout ? 256 : j.width + j.left) + 31) / 32 * 4;
    for (int top = 0, band = 0; top < j.height && (j.stopAt == 6 || band + 2 <= j.stopAt); top += j.band, ++band) {
      const int lines = std::min(j.band, j.height - top), width = j.width - band % 3 * j.width / 4;
      std::vector<std::vector<std::uint8_t>> planes(4);
      void* x[4];
      for (std::size_t p = 0; p < 4; ++p) {
        planes[p].resize(std::size_t(j.screening == 0 ? rowLength : 2 * width) * std::size_t(lines));
        for (std::size_t i = 0; i < planes[p].size(); ++i) planes[p][i] = std::uint8_t((i * (7 + p) + std::size_t(top) * 13 + std::size_t(j.id) * 29) >> 2);
        x[p] = planes[p].data();
      }
      results.push_back(j.screening == 0 ? SendPrinter_16_FUNC(job, x, width, lines, j.planes)
                                         : WritePrinter_16_FUNC(job, x, width, lines, 4));
    }
    if (j.stopAt == 6) results.push_back(StopPrinter_16_FUNC(job));
    results.push_back(ClosePrinter_16_FUNC(job));
    return results;
  };
  std::vector<std::vector<int>> alone, together(jobs.size());
  for (const char* spool : {"/alone", "/together"}) std::filesystem::create_directory(folder + spool);
  setenv("PLEXOR_SPOOL_DIR", (folder + "/alone").c_str(), 1);
  for (const RandomJob& j : jobs) alone.push_back(run(j, "alone"));
  setenv("PLEXOR_SPOOL_DIR", (folder + "/together").c_str(), 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int n = t; n < kThreads * kEach; n += kThreads) together[std::size_t(n)] = run(jobs[std::size_t(n)], "together");
    });
  for (std::thread& t : threads) t.join();
  std::size_t whole = 0;
  for (std::size_t n = 0; n < jobs.size(); ++n) {
    EXPECT_EQ(together[n], alone[n]) << n;
    if (jobs[n].dump) EXPECT_EQ(readFile(dumpPath(jobs[n].id, "together")), readFile(dumpPath(jobs[n].id, "alone"))) << n;
    whole += jobs[n].stopAt == 6 && !jobs[n].badMode;
  }
  const std::vector<std::string> documents = this->documents(folder + "/alone");
  EXPECT_EQ(documents.size(), whole);  // abandoned jobs and failed starts leave no document
  EXPECT_TRUE(this->documents(folder + "/together") == documents);
}

}  // namespace
}  // namespace vexmoor::testing
