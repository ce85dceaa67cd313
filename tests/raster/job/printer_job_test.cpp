// The job lifecycle: opening, the job-start commands and top offset, band
// buffers, the limits every band must keep, splitting, failures and closing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "job_fakes.h"
#include "raster/job/printer_job.h"
#include "stream_reader.h"

namespace vexmoor::testing {
namespace {

const std::string kJobEnd = "\x1b*rC\x1b%0B\x1b" "EPG;";

class PrinterJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.counterFile = scratchFile("cntxout_job.log");
    world.host.devices["dev"] = "P1";
    world.host.block(1) = makeBlock();
  }
  std::vector<std::uint8_t>& block() { return world.host.block(1); }
  PrinterJob* open(int width = 64, int height = 8, const char* dump = nullptr, int planes = 4) {
    return initPrinterJob(world.env(), 1, dump, width, height, planes);
  }
  std::string stream() const {
    std::string all;
    for (auto& d : world.spooler.documents) all += d.bytes;
    return all;
  }
  // Screened planes for Send: rows of rowLength bytes.
  std::vector<std::vector<std::uint8_t>> screened(const PrinterJob& job, int lines, int planes = 4) {
    std::vector<std::vector<std::uint8_t>> p(std::size_t(planes),
                                             std::vector<std::uint8_t>(std::size_t(job.rowLength) * lines));
    for (int i = 0; i < planes; ++i)
      for (std::size_t k = 0; k < p[std::size_t(i)].size(); ++k) p[std::size_t(i)][k] = std::uint8_t(i * 40 + k);
    return p;
  }
  static std::vector<void*> pointers(std::vector<std::vector<std::uint8_t>>& planes) {
    std::vector<void*> out;
    for (auto& p : planes) out.push_back(p.data());
    return out;
  }
  FakeWorld world;
};

TEST_F(PrinterJobTest, AbandonedJobsLeaveNoDocument) {
  // Opened and closed: nothing written, no document begun (a thousand times).
  for (int loop = 0; loop < 1000; ++loop) ASSERT_EQ(closePrinterJob(open()), 0);
  EXPECT_TRUE(world.spooler.documents.empty());
  // Closed before the trailer: after a start, after a band, after a failed start.
  for (int bands = 0; bands < 3; ++bands) {
    if (bands == 2) putWide(block(), PPB_MODE_NAME, u"Plain paper");
    PrinterJob* job = open(64, 8);
    auto planes = screened(*job, 2);
    auto ptr = pointers(planes);
    EXPECT_EQ(startPrinterJob(*job) + (bands == 1 ? sendPrinterBand(*job, ptr.data(), 64, 2, 4) : 0), bands / 2);
    EXPECT_EQ(closePrinterJob(job), 0);
  }
  ASSERT_EQ(world.spooler.documents.size(), 2u);  // the failed start wrote nothing
  for (auto& d : world.spooler.documents) EXPECT_TRUE(d.discarded && !d.ended && d.printer == "P1");
  EXPECT_EQ(world.spooler.openHandles, 0);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, WholeJobInOrderWithOneRowTransferPerBandRow) {
  PrinterJob* job = open(64, 10);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(stopPrinterJob(*job), 1);  // calls out of order fail and write nothing
  ASSERT_EQ(startPrinterJob(*job), 0);
  EXPECT_EQ(startPrinterJob(*job), 1);
  const std::string header = stream();
  EXPECT_EQ(header.substr(0, 9), "\aKavex_PM");
  EXPECT_NE(header.find("*PQ9;"), std::string::npos);  // Banner4 at 720 x 720, 1 bit
  auto planes = screened(*job, 4);
  auto ptr = pointers(planes);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 4, 4), 0);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 4, 4), 0);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4), 0);
  EXPECT_EQ(stopPrinterJob(*job), 0);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4) + stopPrinterJob(*job) + startPrinterJob(*job), 3);
  EXPECT_EQ(closePrinterJob(job), 0);
  const std::string all = stream();
  EXPECT_EQ(all.compare(0, header.size(), header), 0);
  EXPECT_EQ(countRowTransfers(all), 10);
  EXPECT_EQ(all.find(kJobEnd), all.size() - kJobEnd.size());  // one trailer, at the end
  EXPECT_EQ(world.spooler.documents.size(), 1u);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, NoModeRowMeansStartFailsAndWritesNothing) {
  putWide(block(), PPB_MODE_NAME, u"Plain paper");
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(startPrinterJob(*job), 1);
  EXPECT_EQ(stopPrinterJob(*job), 1);  // a failed start leaves only closing
  EXPECT_TRUE(stream().empty());
  closePrinterJob(job);
}

TEST_F(PrinterJobTest, TopOffsetSendsThatManyBlankRows) {
  put32(block(), PPB_TOP_OFFSET, 5);
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  EXPECT_EQ(countRowTransfers(stream()), 5);
  closePrinterJob(job);
  put32(block(), PPB_TOP_OFFSET, 0);
  world.spooler.documents.clear();
  job = open();
  ASSERT_EQ(startPrinterJob(*job), 0);
  EXPECT_EQ(countRowTransfers(stream()), 0);
  closePrinterJob(job);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, BlankTopOffsetRowsComeAfterTheJobStartAndBeforeTheFirstBand) {
  put32(block(), PPB_TOP_OFFSET, 3);
  PrinterJob* job = open(64, 4);
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 2);
  auto ptr = pointers(planes);
  ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4), 0);
  ASSERT_EQ(stopPrinterJob(*job), 0);
  closePrinterJob(job);
  DecodedPage page = decodeRows(stream());
  ASSERT_TRUE(page.ok);
  const int streamPlane[4] = {3, 0, 1, 2};  // K C M Y
  for (int s = 0; s < 4; ++s) {
    ASSERT_EQ(page.rows[s].size(), 5u) << s;
    for (int r = 0; r < 3; ++r) EXPECT_EQ(page.rows[s][std::size_t(r)], std::vector<std::uint8_t>(8, 0)) << s;
    const auto& source = planes[std::size_t(streamPlane[s])];
    for (int r = 0; r < 2; ++r)
      EXPECT_EQ(page.rows[s][std::size_t(3 + r)],
                std::vector<std::uint8_t>(source.begin() + 8 * r, source.begin() + 8 * (r + 1)))
          << s;
  }
}

TEST_F(PrinterJobTest, TopOffsetStopsAtTheFirstFailedWrite) {
  put32(block(), PPB_TOP_OFFSET, 50);
  PrinterJob* job = open();
  ASSERT_NE(job, nullptr);
  world.spooler.writesBeforeFailure = 11 + 3 * 12;  // header, then three rows of 12 writes
  EXPECT_EQ(startPrinterJob(*job), 1);
  EXPECT_EQ(countRowTransfers(stream()), 3);
  closePrinterJob(job);
}

TEST_F(PrinterJobTest, ZeroLineBandSendsNoRowsAndSucceeds) {
  PrinterJob* job = open();
  ASSERT_EQ(startPrinterJob(*job), 0);
  std::size_t before = stream().size();
  auto planes = screened(*job, 1);
  auto ptr = pointers(planes);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 0, 4), 0);
  std::vector<std::vector<std::uint8_t>> contone(4, std::vector<std::uint8_t>(2));
  auto cptr = pointers(contone);
  EXPECT_EQ(writePrinterBand(*job, cptr.data(), 64, 0, 4), 0);
  EXPECT_EQ(stream().size(), before);
  closePrinterJob(job);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, NullPlaneArrayOrPlaneIsRefused) {
  PrinterJob* job = open();
  ASSERT_EQ(startPrinterJob(*job), 0);
  EXPECT_EQ(sendPrinterBand(*job, nullptr, 64, 1, 4), 1);
  void* planes[4] = {nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(writePrinterBand(*job, planes, 64, 1, 4), 1);
  closePrinterJob(job);
}

TEST_F(PrinterJobTest, BandsBreakingTheHostLimitsFailWithOne) {
  PrinterJob* job = open(64, 8, nullptr, 4);
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 2, 7);
  auto ptr = pointers(planes);
  ptr.push_back(ptr[0]);  // eight pointers
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 65, 1, 4), 1);   // wider than the job
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 9, 4), 1);   // taller than the job
  EXPECT_EQ(writePrinterBand(*job, ptr.data(), 64, 9, 4), 1);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 1, 5), 1);   // more planes than screened buffers
  EXPECT_EQ(writePrinterBand(*job, ptr.data(), 64, 1, 8), 1);  // more than seven input planes
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), -1, 1, 4), 1);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, -1, 4), 1);
  EXPECT_EQ(writePrinterBand(*job, ptr.data(), 64, 1, 3), 1);  // fewer planes than inks, no conversion
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4), 0);   // a band that keeps the limits
  closePrinterJob(job);
}

TEST_F(PrinterJobTest, WhileADumpIsOpenBandsMayNotExceedItsPlaneCount) {
  std::string path = scratchFile("vexmoor_job_dump.bin");
  std::remove(path.c_str());
  PrinterJob* job = open(64, 8, path.c_str(), 2);
  ASSERT_NE(job, nullptr);
  ASSERT_NE(job->dump, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 1);
  auto ptr = pointers(planes);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 1, 3), 1);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 1, 2), 0);
  closePrinterJob(job);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_EQ(std::ftell(f), 512 + 8 * 2);  // one row: 8 packed bytes x 2 planes
  std::fclose(f);
  std::remove(path.c_str());
}

TEST_F(PrinterJobTest, UncreatableDumpLeavesTheJobWithoutOne) {
  std::string path = scratchFile("no/such/folder/dump.bin");
  PrinterJob* job = open(64, 8, path.c_str());
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->dump, nullptr);
  closePrinterJob(job);
}

TEST_F(PrinterJobTest, FailedWriteFailsTheCallThatWrote) {
  PrinterJob* job = open();
  world.spooler.writesBeforeFailure = 3;
  EXPECT_EQ(startPrinterJob(*job), 1);
  EXPECT_EQ(stream(), "\aKavex_PM*ID250;*TM1;");  // what was written stays written
  world.spooler.writesBeforeFailure = 0;
  auto planes = screened(*job, 1);
  auto ptr = pointers(planes);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 1, 4), 1);
  EXPECT_EQ(stopPrinterJob(*job), 1);
  EXPECT_EQ(closePrinterJob(job), 0);
}

TEST_F(PrinterJobTest, InputTypeEqualToInkSetWorksOnCopiesOfTheHostsPlanes) {
  PrinterJob* job = open();
  ASSERT_EQ(startPrinterJob(*job), 0);
  int before = world.memory.allocations;
  std::vector<std::vector<std::uint8_t>> contone(4, std::vector<std::uint8_t>(64 * 2 * 2, 0x80));
  auto ptr = pointers(contone);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 64, 2, 4), 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(job->convertedPlanes[i], ptr[std::size_t(i)]);
    EXPECT_EQ(std::memcmp(job->convertedPlanes[i], ptr[std::size_t(i)], 64 * 2 * 2), 0);
  }
  // Four screened buffers, the scratch buffer and four copies.
  EXPECT_EQ(world.memory.allocations - before, 9);
  EXPECT_EQ(closePrinterJob(job), 0);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, BandBuffersGrowOnlyWhenABandNeedsMore) {
  block()[PPB_INK_SET] = 6;  // converted buffers of the module's own
  PrinterJob* job = open();
  ASSERT_EQ(startPrinterJob(*job), 0);
  // A pre-screened band takes the four screened buffers and the scratch buffer, no converted ones.
  auto planes = screened(*job, 4);
  auto sptr = pointers(planes);
  int before = world.memory.allocations;
  ASSERT_EQ(sendPrinterBand(*job, sptr.data(), 64, 4, 4), 0);
  EXPECT_EQ(world.memory.allocations - before, 5);
  EXPECT_EQ(job->convertedPlanes[0], nullptr);
  std::vector<std::vector<std::uint8_t>> contone(4, std::vector<std::uint8_t>(64 * 2 * 8));
  auto ptr = pointers(contone);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 64, 4, 4), 0);
  EXPECT_EQ(world.memory.allocations - before, 5 + 4);
  EXPECT_EQ(job->convertedCapacity, 256);
  EXPECT_EQ(job->screenedCapacity, 4 * job->rowLength);
  int allocations = world.memory.allocations;
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 64, 2, 4), 0);
  EXPECT_EQ(world.memory.allocations, allocations);  // reused
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 64, 8, 4), 0);
  EXPECT_EQ(world.memory.allocations, allocations + 4 + 5);  // four converted, four screened, scratch
  EXPECT_EQ(job->convertedCapacity, 512);
  closePrinterJob(job);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

// Bands are refused only where the int sizes of the job record would wrap:
// width x lines (inputPixels) and lines x rowLength (screenedCapacity).
TEST_F(PrinterJobTest, BandSizeLimitIsWhatTheBufferArithmeticHolds) {
  const long long rowLength = 92160 / 8;  // 1 bit per pixel
  struct Case {
    int width, lines;
    bool write;
    int failing;                // allocation of the band that fails (keeps the test small)
    long long failingRequest;  // its size; 0: the band is refused before any allocation
  } cases[] = {
      {65536, 32768, false, 1, 0},                      // width x lines = 2^31
      {65536, 32767, false, 1, 32767 * rowLength},      // just inside: the buffers are asked for
      {65536, 32767, true, 6, 2LL * 65536 * 32767},     // the converted buffers of 2 x inputPixels
      {8, 186414, false, 1, 0},                         // lines x rowLength above the largest int
      {8, 186413, false, 1, 186413 * rowLength},
  };
  block()[PPB_INK_SET] = 6;  // converted buffers of the module's own
  for (const Case& c : cases) {
    PrinterJob* job = open(92160, c.lines);
    ASSERT_EQ(job->rowLength, rowLength);
    ASSERT_EQ(startPrinterJob(*job), 0);
    const int before = world.memory.allocations;
    world.memory.failAt = before + c.failing;
    world.memory.lastRequest = 0;
    std::vector<std::uint8_t> plane(8);
    void* planes[4] = {plane.data(), plane.data(), plane.data(), plane.data()};
    int result = c.write ? writePrinterBand(*job, planes, c.width, c.lines, 4)
                         : sendPrinterBand(*job, planes, c.width, c.lines, 4);
    EXPECT_EQ(result, 1);
    EXPECT_EQ((long long)world.memory.lastRequest, c.failingRequest) << c.width << " x " << c.lines;
    EXPECT_EQ(world.memory.allocations, c.failingRequest ? before + c.failing : before);
    world.memory.failAt = -1;
    closePrinterJob(job);
  }
  EXPECT_EQ(world.memory.allocations - 3, world.memory.releases);  // the three failed allocations
}

// A wide-format band just above the old limit of INT_MAX / 2 pixels goes out whole.
TEST_F(PrinterJobTest, PreScreenedBandOf92160By11651PixelsIsSent) {
  PrinterJob* job = open(92160, 11651);
  ASSERT_EQ(startPrinterJob(*job), 0);
  const std::size_t planeBytes = std::size_t(job->rowLength) * 11651;
  void* plane = std::calloc(planeBytes, 1);  // blank: the pages stay unmapped until written
  ASSERT_NE(plane, nullptr);
  static_cast<std::uint8_t*>(plane)[planeBytes - 1] = 0x81;
  EXPECT_EQ(sendPrinterBand(*job, &plane, 92160, 11651, 1), 0);
  EXPECT_EQ(stopPrinterJob(*job), 0);
  closePrinterJob(job);
  std::free(plane);
  DecodedPage page = decodeRows(stream(), 11650);
  ASSERT_TRUE(page.ok);
  for (std::size_t count : page.rowCount) EXPECT_EQ(count, 11651u);
  // Plane 0 is sent second, after K.
  ASSERT_EQ(page.rows[1].size(), 1u);
  EXPECT_EQ(page.rows[1][0].size(), 11520u);
  EXPECT_EQ(page.rows[1][0].back(), 0x81);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, EveryAllocationFailureWhileOpeningGivesNullAndLeaksNothing) {
  std::string path = scratchFile("vexmoor_alloc_dump.bin");
  for (int n = 1;; ++n) {
    FakeWorld w;
    w.counterFile = world.counterFile;
    w.host.devices["dev"] = "P1";
    w.host.block(1) = makeBlock();
    w.memory.failAt = n;
    PrinterJob* job = initPrinterJob(w.env(), 1, path.c_str(), 64, 8, 4);
    if (job) {
      closePrinterJob(job);
      if (w.memory.allocations < n) {  // past the last allocation: nothing failed
        EXPECT_EQ(w.memory.allocations, w.memory.releases);
        break;
      }
      // Only the optional dump (5, 6) may be refused.
      EXPECT_TRUE(n == 5 || n == 6) << n;
      EXPECT_EQ(w.memory.allocations - 1, w.memory.releases) << "allocation " << n;
      continue;
    }
    EXPECT_EQ(w.memory.allocations - 1, w.memory.releases) << "allocation " << n;
    EXPECT_EQ(w.spooler.openHandles, 0);
    ASSERT_LT(n, 50);
  }
  std::remove(path.c_str());
}

TEST_F(PrinterJobTest, AllocationFailureInABandReleasesBandBuffersAndDumpAndRefusesLaterBands) {
  std::string path = scratchFile("vexmoor_band_dump.bin");
  block()[PPB_INK_SET] = 6;  // converted buffers of the module's own
  PrinterJob* job = open(64, 8, path.c_str());
  ASSERT_NE(job->dump, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  std::vector<std::vector<std::uint8_t>> contone(4, std::vector<std::uint8_t>(64 * 2 * 4));
  auto ptr = pointers(contone);
  world.memory.failAt = world.memory.allocations + 6;  // the first converted buffer, after screened and scratch
  EXPECT_EQ(writePrinterBand(*job, ptr.data(), 64, 4, 4), 1);
  EXPECT_EQ(job->dump, nullptr);
  for (auto* p : job->screenedPlanes) EXPECT_EQ(p, nullptr);
  for (auto* p : job->convertedPlanes) EXPECT_EQ(p, nullptr);
  world.memory.failAt = -1;
  EXPECT_EQ(writePrinterBand(*job, ptr.data(), 64, 4, 4), 1);
  auto planes = screened(*job, 1);
  auto sptr = pointers(planes);
  EXPECT_EQ(sendPrinterBand(*job, sptr.data(), 64, 1, 4), 1);
  EXPECT_EQ(closePrinterJob(job), 0);
  EXPECT_EQ(world.memory.allocations - 1, world.memory.releases);
  std::remove(path.c_str());
}

TEST_F(PrinterJobTest, SplitFallsOnTheBandDuringWhichTheCountFirstExceedsTheLimit) {
  // rowLength 8 (64 pixels), 4 planes: 1 MiB / 32 bytes = 32768 rows per document.
  world.config.values[u"BannerMode"] = 1;
  PrinterJob* job = open(64, 8);
  ASSERT_EQ(job->rowsPerDocument, 32768u);
  job->rowsPerDocument = 5;  // small limit for the test
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 3);
  auto ptr = pointers(planes);
  for (int band = 0; band < 5; ++band) ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 0);
  ASSERT_EQ(stopPrinterJob(*job), 0);
  closePrinterJob(job);
  // 3, 6 > 5: split after band 2; 3, 6: split after band 4; band 5 in the last.
  ASSERT_EQ(world.spooler.documents.size(), 3u);
  EXPECT_EQ(countRowTransfers(world.spooler.documents[0].bytes), 6);
  EXPECT_EQ(countRowTransfers(world.spooler.documents[1].bytes), 6);
  EXPECT_EQ(countRowTransfers(world.spooler.documents[2].bytes), 3);
  EXPECT_EQ(world.spooler.documents[1].bytes.substr(0, 3), "\x1b*b");  // no job-start commands again
  for (auto& d : world.spooler.documents) EXPECT_TRUE(d.ended);
  EXPECT_EQ(world.spooler.documents[2].bytes.substr(world.spooler.documents[2].bytes.size() - kJobEnd.size()),
            kJobEnd);
}

TEST_F(PrinterJobTest, SplitEndsTheDocumentThenWaitsForSpaceThenStartsTheNext) {
  PrinterJob* job = open(64, 8);
  job->rowsPerDocument = 2;
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 3);
  auto ptr = pointers(planes);
  world.disk.freeBytes = 3ull << 30;
  world.spooler.queuedJobs = 1;
  world.clock.onSleep = [&](int n) {
    // While the module waits, the first document is complete and no other has begun.
    ASSERT_EQ(world.spooler.documents.size(), 1u);
    EXPECT_TRUE(world.spooler.documents[0].ended);
    EXPECT_EQ(world.spooler.openHandles, 0);
    EXPECT_EQ(world.host.block(1)[PPB_WAITING], 1);
    if (n == 2) world.spooler.queuedJobs = 0;
  };
  ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 0);
  EXPECT_EQ(world.clock.sleeps, (std::vector<std::uint32_t>{30000, 30000}));
  EXPECT_EQ(world.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(world.spooler.openHandles, 1);  // the printer is open again
  ASSERT_EQ(world.spooler.documents.size(), 1u);  // the next document begins with its first bytes
  EXPECT_EQ(job->rowsInDocument, 0u);
  world.clock.onSleep = nullptr;
  ASSERT_EQ(stopPrinterJob(*job), 0);
  ASSERT_EQ(world.spooler.documents.size(), 2u);
  EXPECT_EQ(world.spooler.documents[1].name, u"doc");
  EXPECT_EQ(world.spooler.documents[1].bytes, kJobEnd);
  closePrinterJob(job);
}

// The host's stop-waiting flag is not space become free: the band that met
// the wait fails, and the page goes on in the next document.
TEST_F(PrinterJobTest, BandWhoseWaitTheHostEndedFailsAndTheJobGoesOn) {
  PrinterJob* job = open(64, 8);
  job->rowsPerDocument = 4;
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 3);
  auto ptr = pointers(planes);
  world.disk.freeBytes = 3ull << 30;
  world.spooler.queuedJobs = 1;
  block()[PPB_STOP_WAITING] = 1;
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 0);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 1);  // 6 > 4: split, wait ended by the host
  EXPECT_TRUE(world.clock.sleeps.empty());
  EXPECT_EQ(world.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 0);
  ASSERT_EQ(stopPrinterJob(*job), 0);
  closePrinterJob(job);
  ASSERT_EQ(world.spooler.documents.size(), 2u);
  EXPECT_EQ(countRowTransfers(world.spooler.documents[0].bytes), 6);
  EXPECT_EQ(world.spooler.documents[1].bytes.substr(0, 3), "\x1b*b");
  EXPECT_EQ(countRowTransfers(world.spooler.documents[1].bytes), 3);
}

TEST_F(PrinterJobTest, FailedReopenAfterASplitFailsTheBandAndCloseIsSafe) {
  PrinterJob* job = open(64, 8);
  job->rowsPerDocument = 1;
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 2);
  auto ptr = pointers(planes);
  world.spooler.opensBeforeFailure = 1;  // the disk wait's open works, the reopen does not
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4), 1);
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 2, 4), 1);  // no document to write to
  EXPECT_EQ(stopPrinterJob(*job), 1);
  EXPECT_EQ(closePrinterJob(job), 0);
  EXPECT_EQ(world.spooler.openHandles, 0);
}

TEST_F(PrinterJobTest, FailedEndFailsTheSplittingBandAndTheClose) {
  PrinterJob* job = open(64, 8);
  job->rowsPerDocument = 2;
  ASSERT_EQ(startPrinterJob(*job), 0);
  auto planes = screened(*job, 3);
  auto ptr = pointers(planes);
  world.spooler.endsBeforeFailure = 0;
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 3, 4), 1);  // 3 > 2: the split's end failed
  EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 64, 1, 4), 0);  // the job goes on in the next document
  EXPECT_EQ(stopPrinterJob(*job), 0);
  EXPECT_EQ(closePrinterJob(job), 1);  // the last document's end failed too
  EXPECT_EQ(world.spooler.documents.size(), 2u);
  EXPECT_EQ(world.spooler.openHandles, 0);
}

TEST_F(PrinterJobTest, TwoJobsAtOnceAreIndependent) {
  world.host.devices["dev2"] = "P2";
  world.host.block(2) = makeBlock(2, 3);
  putWide(world.host.block(2), PPB_DEVICE_NAME, u"dev2");
  putWide(world.host.block(2), PPB_DOCUMENT_NAME, u"second");
  PrinterJob* a = open(64, 8);
  PrinterJob* b = initPrinterJob(world.env(), 2, nullptr, 200, 8, 4);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(startPrinterJob(*a), 0);
  ASSERT_EQ(startPrinterJob(*b), 0);
  auto pa = screened(*a, 2);
  auto pb = screened(*b, 3);
  auto xa = pointers(pa), xb = pointers(pb);
  EXPECT_EQ(sendPrinterBand(*a, xa.data(), 64, 2, 4), 0);
  EXPECT_EQ(sendPrinterBand(*b, xb.data(), 200, 3, 4), 0);
  EXPECT_EQ(sendPrinterBand(*a, xa.data(), 64, 2, 4), 0);
  EXPECT_EQ(closePrinterJob(b), 0);  // closing one leaves the other working
  EXPECT_EQ(sendPrinterBand(*a, xa.data(), 64, 2, 4), 0);
  EXPECT_EQ(stopPrinterJob(*a), 0);
  EXPECT_EQ(closePrinterJob(a), 0);
  ASSERT_EQ(world.spooler.documents.size(), 2u);
  EXPECT_EQ(world.spooler.documents[0].printer, "P1");
  EXPECT_EQ(world.spooler.documents[1].printer, "P2");
  EXPECT_EQ(world.spooler.documents[1].name, u"second");
  EXPECT_EQ(countRowTransfers(world.spooler.documents[0].bytes), 6);
  EXPECT_EQ(countRowTransfers(world.spooler.documents[1].bytes), 3);
  EXPECT_NE(world.spooler.documents[0].bytes.find("*IP,1;"), std::string::npos);
  EXPECT_NE(world.spooler.documents[1].bytes.find("*IP,2;"), std::string::npos);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(PrinterJobTest, MirrorFlagMirrorsPreScreenedRowsAcrossThePageWidth) {
  block()[PPB_MIRROR] = 1;
  PrinterJob* job = open(10, 1);  // pageWidth 10, rowLength 4
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(4, 0));
  planes[0][0] = 0xA0;  // pixels 0 and 2
  auto ptr = pointers(planes);
  ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 10, 1, 4), 0);
  EXPECT_EQ(planes[0][0], 0xA0);  // the host's plane is not touched
  closePrinterJob(job);
  DecodedPage page = decodeRows(stream());
  ASSERT_TRUE(page.ok);
  ASSERT_EQ(page.rows[1].size(), 1u);  // plane 0 is sent second
  // Pixels 9 and 7: bit 1 of byte 0 and bit 1 of byte 1.
  EXPECT_EQ(page.rows[1][0], (std::vector<std::uint8_t>{0x01, 0x40, 0x00, 0x00}));
}

TEST_F(PrinterJobTest, MirroredBandWithFewerPlanesSendsTheOthersBlank) {
  block()[PPB_MIRROR] = 1;
  PrinterJob* job = open(10, 2);  // pageWidth 10, rowLength 4
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(4, 0));
  planes[0][0] = 0xA0;  // pixels 0 and 2
  planes[2][0] = 0x80;  // pixel 0
  auto ptr = pointers(planes);
  ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 10, 1, 4), 0);
  // Plane 2 is not sent again: it goes out blank, not as the band before.
  ASSERT_EQ(sendPrinterBand(*job, ptr.data(), 10, 1, 2), 0);
  closePrinterJob(job);
  DecodedPage page = decodeRows(stream());
  ASSERT_TRUE(page.ok);
  ASSERT_EQ(page.rows[3].size(), 2u);  // plane 2 is sent last
  EXPECT_EQ(page.rows[3][0], (std::vector<std::uint8_t>{0x00, 0x40, 0x00, 0x00}));  // pixel 9
  EXPECT_EQ(page.rows[3][1], (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(page.rows[1][1], (std::vector<std::uint8_t>{0x01, 0x40, 0x00, 0x00}));  // plane 0 from the host again
}

TEST_F(PrinterJobTest, ContoneBandsAreDumpedBeforeTheyAreProcessed) {
  std::string path = scratchFile("vexmoor_write_dump.bin");
  std::remove(path.c_str());
  PrinterJob* job = open(3, 2, path.c_str(), 4);
  ASSERT_NE(job->dump, nullptr);
  ASSERT_EQ(startPrinterJob(*job), 0);
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(3 * 2 * 2));
  for (int p = 0; p < 4; ++p)
    for (int i = 0; i < 6; ++i) planes[std::size_t(p)][std::size_t(2 * i + 1)] = std::uint8_t(p * 16 + i);
  auto ptr = pointers(planes);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 3, 2, 4), 0);
  closePrinterJob(job);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> bytes(512 + 24 + 1);
  ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), 512u + 24u);
  std::fclose(f);
  std::remove(path.c_str());
  // Row 1, pixel 2: sample 5 of each plane.
  EXPECT_EQ(bytes[512 + 12 + 8], 5);
  EXPECT_EQ(bytes[512 + 12 + 8 + 3], 3 * 16 + 5);
  EXPECT_EQ(bytes[512], 0);
  EXPECT_EQ(bytes[512 + 1], 16);
}

TEST_F(PrinterJobTest, ClosingANullJobFails) { EXPECT_EQ(closePrinterJob(nullptr), 1); }

}  // namespace
}  // namespace vexmoor::testing
