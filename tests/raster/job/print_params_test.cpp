// Parameter block, derived job fields, device information with the job
// counter file, and the print mode table.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "job_fakes.h"
#include "raster/job/device_info.h"
#include "raster/job/print_mode_table.h"
#include "raster/job/printer_job.h"
#include "raster/spooler/system_ports.h"

namespace vexmoor::testing {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class PrintParams : public ::testing::Test {
 protected:
  void SetUp() override {
    world.counterFile = scratchFile("cntxout_params.log");
    std::remove(world.counterFile.c_str());
    world.host.devices["dev"] = "P1";
    world.host.block(1) = makeBlock();
  }
  void TearDown() override { std::remove(world.counterFile.c_str()); }
  PrinterJob* open(int width = 100) { return initPrinterJob(world.env(), 1, nullptr, width, 10, 4); }
  FakeWorld world;
};

TEST_F(PrintParams, AcceptsTheMagicWithItsZeroByte) {
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_STREQ(job->printerName, "P1");
  closePrinterJob(job);
}

TEST_F(PrintParams, RejectsTheMagicFollowedByAnythingButZero) {
  world.host.block(1)[5] = 'X';
  EXPECT_EQ(open(), nullptr);
  world.host.block(1)[5] = 0;
  world.host.block(1)[4] = 'E';
  EXPECT_EQ(open(), nullptr);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrintParams, FailedFetchOrUnknownJobGivesNoJob) {
  world.host.getPrintParamsResult = 0;
  EXPECT_EQ(open(), nullptr);
  world.host.getPrintParamsResult = 1;
  EXPECT_EQ(initPrinterJob(world.env(), 2, nullptr, 100, 10, 4), nullptr);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrintParams, DerivesTheJobFieldsFromTheBlock) {
  auto& b = world.host.block(1);
  b[PPB_INPUT_PLANES] = 3;
  b[PPB_INPUT_COLOUR_TYPE] = 1;
  b[PPB_OUTPUT_PLANES] = 3;
  b[PPB_INK_SET] = 6;
  b[PPB_SCREENING] = 0;  // pre-screened bands: the colour type need not match the ink set
  b[PPB_MIRROR] = 1;
  put32(b, PPB_LEFT_OFFSET, 40);
  put32(b, PPB_TOP_OFFSET, 7);
  b[PPB_BITS_PER_PIXEL] = 2;
  PrinterJob* job = open(100);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->inputPlaneCount, 3);
  EXPECT_EQ(job->inputColourType, 1);
  EXPECT_EQ(job->inkCount, 3);
  EXPECT_EQ(job->inkSet, 6);
  EXPECT_EQ(job->outputPlaneCount, 3);
  EXPECT_EQ(job->outputInkSet, 6);
  EXPECT_EQ(job->mirror, 1);
  EXPECT_EQ(job->leftOffset, 40);
  EXPECT_EQ(job->topOffset, 7);
  EXPECT_EQ(job->bitsPerPixel, 2);
  EXPECT_EQ(job->pageWidth, 140);
  EXPECT_EQ(job->rasterWidth, 140);
  EXPECT_EQ(job->pageHeight, 17);
  EXPECT_EQ(job->rowLength, 2 * 5 * 4);  // 2 bits x ceil(140 / 32) words x 4 bytes
  EXPECT_EQ(job->screenedCapacity, job->rowLength);
  EXPECT_EQ(job->channel->compressionSize, std::size_t(2 * job->rowLength));
  closePrinterJob(job);
}

TEST_F(PrintParams, BitsPerPixelZeroMeansOne) {
  world.host.block(1)[PPB_BITS_PER_PIXEL] = 0;
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->bitsPerPixel, 1);
  closePrinterJob(job);
}

TEST_F(PrintParams, DitherScreeningForcesFourPlanesOfInkSetTwo) {
  auto& b = world.host.block(1);
  b[PPB_SCREENING] = 4;
  b[PPB_OUTPUT_PLANES] = 6;
  b[PPB_INK_SET] = 7;
  world.host.useScreens();
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->inkCount, 4);
  EXPECT_EQ(job->inkSet, 2);
  EXPECT_EQ(job->outputPlaneCount, 4);
  EXPECT_EQ(job->outputInkSet, 2);
  closePrinterJob(job);
}

TEST_F(PrintParams, RefusesPlaneCountsAndOffsetsTheBuffersCannotHold) {
  world.host.block(1)[PPB_OUTPUT_PLANES] = 7;
  EXPECT_EQ(open(), nullptr);
  world.host.block(1)[PPB_OUTPUT_PLANES] = 0;
  EXPECT_EQ(open(), nullptr);
  world.host.block(1)[PPB_OUTPUT_PLANES] = 4;
  put32(world.host.block(1), PPB_LEFT_OFFSET, -8);
  EXPECT_EQ(open(), nullptr);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrintParams, RefusesAPageWhoseSizeWithTheOffsetsPassesTheLargestInt) {
  // The sums would wrap: a page "narrower" than its band and rows too short
  // for the pixels written into them.
  put32(world.host.block(1), PPB_LEFT_OFFSET, 100);
  EXPECT_EQ(open(2147483647 - 50), nullptr);
  put32(world.host.block(1), PPB_LEFT_OFFSET, 0);
  put32(world.host.block(1), PPB_TOP_OFFSET, 10);
  EXPECT_EQ(initPrinterJob(world.env(), 1, nullptr, 100, 2147483647 - 5, 4), nullptr);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
  // Right at the limit the page is still taken.
  put32(world.host.block(1), PPB_TOP_OFFSET, 5);
  PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 100, 2147483647 - 5, 4);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->pageHeight, 2147483647);
  closePrinterJob(job);
}

TEST_F(PrintParams, UnknownDeviceGivesAnEmptyNameAndNoChannel) {
  world.host.devices.clear();
  EXPECT_EQ(open(), nullptr);
  EXPECT_EQ(world.spooler.documents.size(), 0u);
}

TEST_F(PrintParams, TemplateNameTakesTheCounterAndStoresTheNext) {
  world.host.devices["dev"] = "Q%d";
  world.spooler.printers.push_back("Q41");
  writeText(world.counterFile, "41\n");
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_STREQ(job->printerName, "Q41");
  EXPECT_EQ(readAll(world.counterFile), "42\n");
  closePrinterJob(job);
}

#ifndef _WIN32
TEST_F(PrintParams, CounterHeldByAHungProcessFailsTheOpenWithinTheBound) {
  world.host.devices["dev"] = "Q%d";
  world.spooler.printers.push_back("Q41");
  writeText(world.counterFile, "41\n");
  int ready[2], hang[2];
  ASSERT_TRUE(pipe(ready) == 0 && pipe(hang) == 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // takes the lock, says so, and hangs until killed
    const int fd = ::open(world.counterFile.c_str(), O_RDWR);
    char c = flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    if (write(ready[1], &c, 1) != 1 || read(hang[0], &c, 1) < 0) _exit(1);
    _exit(0);
  }
  char c = 0;
  ASSERT_TRUE(read(ready[0], &c, 1) == 1 && c == 'y');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(open(), nullptr);
  const auto waited = std::chrono::steady_clock::now() - start;
  kill(child, SIGKILL), waitpid(child, nullptr, 0);
  EXPECT_GE(waited, std::chrono::milliseconds(kCounterLockWaitMilliseconds));
  EXPECT_LT(waited, std::chrono::milliseconds(kCounterLockWaitMilliseconds + 3000));
  EXPECT_EQ(world.spooler.documents.size(), 0u);
  EXPECT_EQ(world.spooler.openHandles, 0);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
  EXPECT_EQ(readAll(world.counterFile), "41\n");  // nothing taken
  for (int fd : {ready[0], ready[1], hang[0], hang[1]}) close(fd);
}
#endif

TEST_F(PrintParams, CounterWrapsToOneAfterTheLargestInt) {
  writeText(world.counterFile, "2147483647");
  EXPECT_EQ(takeJobCounter(systemCounterFilePort(), world.counterFile.c_str()), 2147483647);
  EXPECT_EQ(readAll(world.counterFile), "1\n");
}

TEST_F(PrintParams, MissingCounterFileStartsAtOne) {
  EXPECT_EQ(takeJobCounter(systemCounterFilePort(), world.counterFile.c_str()), 1);
  EXPECT_EQ(readAll(world.counterFile), "2\n");
  EXPECT_EQ(takeJobCounter(systemCounterFilePort(), world.counterFile.c_str()), 2);
  EXPECT_EQ(readAll(world.counterFile), "3\n");
}

TEST_F(PrintParams, UnwritableCounterFileLeavesTheNameFormatted) {
  std::string path = ::testing::TempDir() + "no/such/folder/cntxout.log";
  EXPECT_EQ(takeJobCounter(systemCounterFilePort(), path.c_str()), 1);
  world.counterFile = path;
  world.host.devices["dev"] = "Q%d";
  world.spooler.printers.push_back("Q1");
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_STREQ(job->printerName, "Q1");
  ASSERT_EQ(startPrinterJob(*job), 0);  // the document begins with the first bytes
  EXPECT_EQ(world.spooler.documents.at(0).printer, "Q1");
  closePrinterJob(job);
}

TEST_F(PrintParams, PlainNameLeavesTheCounterAlone) {
  writeText(world.counterFile, "5\n");
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(readAll(world.counterFile), "5\n");
  closePrinterJob(job);
}

TEST(PrinterNameTemplate, OnlyTheFirstPercentDIsReplacedAndOtherConversionsStayText) {
  char out[64];
  formatPrinterName("A%dB%dC", 7, out, sizeof out);
  EXPECT_STREQ(out, "A7B%dC");
  formatPrinterName("%s%n%%%d", 12, out, sizeof out);
  EXPECT_STREQ(out, "%s%n%12");
  formatPrinterName("Printer-%d-long", 123456, out, 10);
  EXPECT_STREQ(out, "Printer-1");
}

// ---- print mode table ----

const char16_t* kBanner1Multi = u"job (Banner1\u5358-\u591A\u968E\u8ABF\u5165) x";

TEST(PrintModeTable, TwoBitBannerVariantSelectsModeSix) {
  EXPECT_EQ(lookupPrintMode(540, 720, 2, kBanner1Multi), 6);
}

TEST(PrintModeTable, SameNameAtOneBitFindsNoRow) {
  EXPECT_EQ(lookupPrintMode(540, 720, 1, kBanner1Multi), -1);
}

// The twelve rows as the printer's mode names spell them (written with the
// characters themselves, not code points, so that a wrong ideograph in the
// table shows up here).
struct ModeRow {
  int mode, r1, r2, bits;
  const char16_t* name;
};
const ModeRow kModeRows[12] = {
    {0, 1440, 1440, 1, u"(Quality1-単)"},
    {1, 1440, 720, 2, u"(Quality2-単)"},
    {2, 720, 720, 2, u"(Quality3-高品質-単)"},
    {3, 720, 720, 2, u"(Quality4-高品質-双)"},
    {4, 720, 720, 2, u"(Graphics1-高速-単)"},
    {5, 720, 720, 2, u"(Graphics2-高速-双)"},
    {6, 540, 720, 1, u"(Banner1-単)"},
    {7, 540, 720, 1, u"(Banner2-双)"},
    {8, 720, 720, 2, u"(Banner3-高品質-単)"},
    {9, 720, 720, 1, u"(Banner4-高速-双)"},
    {6, 540, 720, 2, u"(Banner1単-多階調入)"},
    {7, 540, 720, 2, u"(Banner2双-多階調入)"},
};

TEST(PrintModeTable, EveryRowMatchesItsOwnNameInsideALongerModeName) {
  for (const ModeRow& r : kModeRows) {
    std::u16string name = u"A4 " + std::u16string(r.name) + u" 普通紙";
    EXPECT_EQ(lookupPrintMode(r.r1, r.r2, r.bits, name.c_str()), r.mode) << r.mode;
  }
}

TEST(PrintModeTable, EveryRowNeedsItsResolutionsAndBitDepth) {
  for (const ModeRow& r : kModeRows) {
    EXPECT_EQ(lookupPrintMode(r.r1, r.r2, 3 - r.bits, r.name), -1) << r.mode;
    EXPECT_EQ(lookupPrintMode(r.r2, r.r1 == r.r2 ? 360 : r.r1, r.bits, r.name), -1) << r.mode;
  }
}

TEST(PrintModeTable, ASimilarIdeographDoesNotMatch) {
  // 単 (U+5358) against 单 (U+5355), 双 (U+53CC) against 雙 (U+96D9).
  EXPECT_EQ(lookupPrintMode(1440, 1440, 1, u"(Quality1-单)"), -1);
  EXPECT_EQ(lookupPrintMode(720, 720, 2, u"(Quality4-高品質-雙)"), -1);
  EXPECT_EQ(lookupPrintMode(540, 720, 2, u"(Banner2双-多階調)"), -1);
}

TEST(PrintModeTable, LastMatchingRowWins) {
  // Rows 3 and 9 have the same resolutions and depth; both substrings occur.
  EXPECT_EQ(lookupPrintMode(720, 720, 2, u"(Banner3-\u9AD8\u54C1\u8CEA-\u5358)(Quality3-\u9AD8\u54C1\u8CEA-\u5358)"), 8);
}

TEST(PrintModeTable, MatchIsCaseSensitiveAndNeedsResolutions) {
  EXPECT_EQ(lookupPrintMode(1440, 1440, 1, u"(quality1-\u5358)"), -1);
  EXPECT_EQ(lookupPrintMode(1440, 720, 1, u"(Quality1-\u5358)"), -1);
  EXPECT_EQ(lookupPrintMode(720, 720, 2, u"no mode here"), -1);
  EXPECT_EQ(lookupPrintMode(720, 720, 2, u""), -1);
}

}  // namespace
}  // namespace vexmoor::testing
