// Split rule, spool documents and the wait for spool disk space.
#include <gtest/gtest.h>

#include "job_fakes.h"
#include "raster/job/spool_channel.h"

namespace vexmoor::testing {
namespace {

constexpr std::uint64_t GiB = 1ull << 30;

TEST(SplitRule, BannerModeSixtyFourWithRowLength900AndFourPlanes) {
  EXPECT_EQ(rowsPerDocumentFor(64, 900, 4), 18641u);
}

TEST(SplitRule, ProductIsTakenModulo2To32) {
  // 4096 MiB is 2^32 bytes: the product wraps to 0.
  EXPECT_EQ(rowsPerDocumentFor(4096, 100, 4), 0u);
  // 4097 MiB wraps to 1 MiB.
  EXPECT_EQ(rowsPerDocumentFor(4097, 1024, 1), 1024u);
  // The divisor wraps too: 2^31 x 2 is 0, which cannot split.
  EXPECT_EQ(rowsPerDocumentFor(1, 0x80000000u, 2), 0u);
}

TEST(SplitRule, SpoolModeOneDisablesSplittingWhateverBannerModeHolds) {
  FakeWorld w;
  w.config.values[u"SpoolMode"] = 1;
  w.config.values[u"BannerMode"] = 64;
  EXPECT_EQ(computeRowsPerDocument(w.env(), 900, 4), 0u);
}

TEST(SplitRule, MissingOrZeroBannerModeDisablesSplitting) {
  FakeWorld w;
  EXPECT_EQ(computeRowsPerDocument(w.env(), 900, 4), 0u);
  w.config.values[u"BannerMode"] = 0;
  EXPECT_EQ(computeRowsPerDocument(w.env(), 900, 4), 0u);
  w.config.values[u"SpoolMode"] = 0;
  w.config.values[u"BannerMode"] = 64;
  EXPECT_EQ(computeRowsPerDocument(w.env(), 900, 4), 18641u);
}

TEST(SpoolChannel, OpensARawDocumentWritesAndEnds) {
  FakeWorld w;
  JobEnvironment env = w.env();
  SpoolChannel* c = openSpoolChannel(env, "P1", 64, u"name");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->compressionSize, 64u);
  EXPECT_TRUE(writeSpoolChannel(env, *c, "abc", 3));
  endSpoolDocument(env, *c);
  EXPECT_FALSE(writeSpoolChannel(env, *c, "x", 1));  // no document between end and reopen
  ASSERT_TRUE(reopenSpoolChannel(env, *c));
  EXPECT_TRUE(writeSpoolChannel(env, *c, "de", 2));
  closeSpoolChannel(env, c);
  ASSERT_EQ(w.spooler.documents.size(), 2u);
  EXPECT_EQ(w.spooler.documents[0].bytes, "abc");
  EXPECT_EQ(w.spooler.documents[1].bytes, "de");
  EXPECT_EQ(w.spooler.documents[0].name, u"name");
  EXPECT_TRUE(w.spooler.documents[1].ended);
  EXPECT_EQ(w.spooler.openHandles, 0);
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

TEST(SpoolChannel, UnknownOrEmptyPrinterOpensNothing) {
  FakeWorld w;
  EXPECT_EQ(openSpoolChannel(w.env(), "nope", 64, u"d"), nullptr);
  EXPECT_EQ(openSpoolChannel(w.env(), "", 64, u"d"), nullptr);
  EXPECT_EQ(w.spooler.openHandles, 0);
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

TEST(SpoolChannel, FailedReopenLeavesNoPrinterAndCloseStillWorks) {
  FakeWorld w;
  JobEnvironment env = w.env();
  SpoolChannel* c = openSpoolChannel(env, "P1", 16, u"d");
  ASSERT_NE(c, nullptr);
  endSpoolDocument(env, *c);
  w.spooler.opensBeforeFailure = 0;
  EXPECT_FALSE(reopenSpoolChannel(env, *c));
  EXPECT_EQ(c->printer, nullptr);
  closeSpoolChannel(env, c);
  EXPECT_EQ(w.spooler.openHandles, 0);
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

class DiskWait : public ::testing::Test {
 protected:
  void SetUp() override { w.host.block(5) = makeBlock(); }
  SpoolWaitEnd wait() { return waitForSpoolDiskSpace(w.env(), 5, u"P1"); }
  FakeWorld w;
};

TEST_F(DiskWait, FiveGiBFreeMeansNoWait) {
  w.disk.freeBytes = 5 * GiB;
  w.spooler.queuedJobs = 3;
  wait();
  EXPECT_TRUE(w.clock.sleeps.empty());
  EXPECT_TRUE(w.host.waitingHistory.empty());
  EXPECT_EQ(w.spooler.allAccessOpens, 1);
  EXPECT_EQ(w.spooler.openHandles, 0);
}

TEST_F(DiskWait, FourGiBIsEnough) {
  w.disk.freeBytes = 4 * GiB;
  w.spooler.queuedJobs = 3;
  wait();
  EXPECT_TRUE(w.clock.sleeps.empty());
}

TEST_F(DiskWait, ThreeGiBWithAnEmptyQueueMeansNoWait) {
  w.disk.freeBytes = 3 * GiB;
  w.spooler.queuedJobs = 0;
  wait();
  EXPECT_TRUE(w.clock.sleeps.empty());
  EXPECT_TRUE(w.host.waitingHistory.empty());
}

TEST_F(DiskWait, ThreeGiBWithQueuedJobsSleepsUntilTheQueueEmpties) {
  w.disk.freeBytes = 3 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int n) {
    EXPECT_EQ(w.host.block(5)[PPB_WAITING], 1);  // the host sees the module waiting
    if (n == 3) w.spooler.queuedJobs = 0;
  };
  EXPECT_EQ(wait(), SpoolWaitEnd::Over);
  EXPECT_EQ(w.clock.sleeps, (std::vector<std::uint32_t>{30000, 30000, 30000}));
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(w.host.block(5)[PPB_WAITING], 0);
  EXPECT_EQ(w.spooler.openHandles, 0);
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

TEST_F(DiskWait, ThreeGiBWithQueuedJobsEndsWhenSpaceIsFreed) {
  w.disk.freeBytes = 3 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int n) {
    if (n == 2) w.disk.freeBytes = 6 * GiB;
  };
  EXPECT_EQ(wait(), SpoolWaitEnd::Over);
  EXPECT_EQ(w.clock.sleeps.size(), 2u);
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
}

TEST_F(DiskWait, StopWaitingFlagEndsTheWait) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int n) {
    if (n == 2) w.host.block(5)[PPB_STOP_WAITING] = 1;
  };
  EXPECT_EQ(waitForSpoolDiskSpace(w.env(), 5, u"P1"), SpoolWaitEnd::EndedByHost);
  // Set during the second sleep, the flag ends the wait at the third pass.
  EXPECT_EQ(w.clock.sleeps.size(), 2u);
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(w.host.block(5)[PPB_WAITING], 0);
}

TEST_F(DiskWait, StopWaitingFlagLeftSetEndsTheWaitBeforeAnySleep) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.host.block(5)[PPB_STOP_WAITING] = 1;
  EXPECT_EQ(waitForSpoolDiskSpace(w.env(), 5, u"P1"), SpoolWaitEnd::EndedByHost);
  EXPECT_TRUE(w.clock.sleeps.empty());
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
}

// Without its block the host could never set the flag: the wait would not end.
TEST_F(DiskWait, BlockWithdrawnDuringTheWaitEndsIt) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int n) {
    if (n == 3) w.host.blocks.erase(5);
    if (n == 10) w.spooler.queuedJobs = 0;  // a bound: the sleeps below then fail the case
  };
  EXPECT_EQ(waitForSpoolDiskSpace(w.env(), 5, u"P1"), SpoolWaitEnd::EndedByHost);
  EXPECT_EQ(w.clock.sleeps.size(), 3u);
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1}));  // nothing left to clear it in
  EXPECT_EQ(w.spooler.openHandles, 0);
  EXPECT_EQ(w.memory.allocations, w.memory.releases);
}

TEST_F(DiskWait, WaitingFlagIsClearedWhenThePrinterDoesNotReopen) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int) { w.spooler.opensBeforeFailure = 0; };
  wait();
  EXPECT_EQ(w.clock.sleeps.size(), 1u);
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
}

TEST_F(DiskWait, WaitingFlagIsClearedWhenTheDiskQueryFailsLater) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.clock.onSleep = [&](int) { w.disk.fails = true; };
  wait();
  EXPECT_EQ(w.host.waitingHistory, (std::vector<std::uint8_t>{1, 0}));
  EXPECT_EQ(w.spooler.openHandles, 0);
}

TEST_F(DiskWait, EndsAtOnceWithoutSpoolDirectoryPrinterOrDiskAnswer) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.spooler.spoolDirectoryFound = false;
  wait();
  w.spooler.spoolDirectoryFound = true;
  w.disk.fails = true;
  wait();
  w.disk.fails = false;
  waitForSpoolDiskSpace(w.env(), 5, u"unknown printer");
  EXPECT_TRUE(w.clock.sleeps.empty());
  EXPECT_TRUE(w.host.waitingHistory.empty());
  EXPECT_EQ(w.spooler.openHandles, 0);
}

TEST_F(DiskWait, FailedFlagFetchLeavesTheHostsBlockUntouchedAndEndsTheWait) {
  w.disk.freeBytes = 1 * GiB;
  w.spooler.queuedJobs = 2;
  w.host.getPrintParamsResult = 0;
  w.clock.onSleep = [&](int n) {
    if (n == 10) w.spooler.queuedJobs = 0;  // a bound: the sleeps below then fail the case
  };
  EXPECT_EQ(waitForSpoolDiskSpace(w.env(), 5, u"P1"), SpoolWaitEnd::EndedByHost);
  EXPECT_TRUE(w.clock.sleeps.empty());
  EXPECT_TRUE(w.host.waitingHistory.empty());
  EXPECT_EQ(w.host.block(5)[PPB_WAITING], 0);
}

}  // namespace
}  // namespace vexmoor::testing
