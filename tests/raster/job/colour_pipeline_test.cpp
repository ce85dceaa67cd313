// Which colour-adjust and screening calls a job makes, by variant.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "job_fakes.h"
#include "raster/job/printer_job.h"
#include "stream_reader.h"

namespace vexmoor::testing {
namespace {

using Calls = std::vector<std::string>;

class ColourPipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    world.counterFile = scratchFile("cntxout_colour.log");
    world.host.devices["dev"] = "P1";
  }
  // Opens a job, sends one contone band and closes it.
  void runJob(std::vector<std::uint8_t> blockBytes, int inputPlanes = 4) {
    world.host.block(1) = std::move(blockBytes);
    PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 16, 2, inputPlanes);
    ASSERT_NE(job, nullptr);
    std::vector<std::vector<std::uint8_t>> planes(std::size_t(inputPlanes), std::vector<std::uint8_t>(16 * 2 * 2, 0xFF));
    std::vector<void*> ptr;
    for (auto& p : planes) ptr.push_back(p.data());
    ASSERT_EQ(startPrinterJob(*job), 0);
    EXPECT_EQ(writePrinterBand(*job, ptr.data(), 16, 2, inputPlanes), 0);
    EXPECT_EQ(closePrinterJob(job), 0);
    EXPECT_EQ(world.memory.allocations, world.memory.releases);
  }
  FakeWorld world;
};

TEST_F(ColourPipeline, CmykWithOneBitErrorDiffusion) {
  runJob(makeBlock(1, 3));
  EXPECT_EQ(world.host.calls, (Calls{"OpenColorAdjust_CMYK", "OpenErrdiff", "WriteColorAdjust_CMYK_old",
                                     "WriteErrdiff", "CloseColorAdjust_CMYK", "CloseErrdiff"}));
}

TEST_F(ColourPipeline, OrangeGreenVariantWithFourLevelDiffusion) {
  auto b = makeBlock(2, 5);
  b[PPB_INK_SET] = 6;
  runJob(b);
  EXPECT_EQ(world.host.calls,
            (Calls{"OpenColorAdjust_CMYKOrGr", "GetErrorDiffParam_LcLm", "OpenErrdiff4", "WriteColorAdjust_CMYKOrGr",
                   "WriteErrdiff4", "CloseColorAdjust_CMYKOrGr", "CloseErrdiff4"}));
  EXPECT_EQ(world.host.lastErrdiffParams.inkCount, 98);  // as the library filled it
}

TEST_F(ColourPipeline, LightInkVariant) {
  auto b = makeBlock(1, 3);
  b[PPB_INK_SET] = 7;
  runJob(b);
  EXPECT_EQ(world.host.calls[0], "OpenColorAdjust_CMYKLcLm");
  EXPECT_NE(std::find(world.host.calls.begin(), world.host.calls.end(), "WriteColorAdjust_CMYKLcLm"),
            world.host.calls.end());
  EXPECT_NE(std::find(world.host.calls.begin(), world.host.calls.end(), "CloseColorAdjust_CMYKLcLm"),
            world.host.calls.end());
}

TEST_F(ColourPipeline, SixInkSetWithoutColourTypeTwoUsesTheCmykVariant) {
  auto b = makeBlock(2, 3);
  b[PPB_INPUT_COLOUR_TYPE] = 6;  // the host's planes are the six-ink set's
  b[PPB_INK_SET] = 6;
  runJob(b);
  EXPECT_EQ(world.host.calls[0], "OpenColorAdjust_CMYK");
  EXPECT_EQ(world.host.calls[1], "GetErrorDiffParam");
}

TEST_F(ColourPipeline, UnfilledDiffusionRecordDefaultsToInkCountAndFourLevels) {
  world.host.getErrorDiffParamResult = 0;
  runJob(makeBlock(2, 3));
  EXPECT_EQ(world.host.lastErrdiffParams.inkCount, 4);
  EXPECT_EQ(world.host.lastErrdiffParams.levels, 4);
}

TEST_F(ColourPipeline, OtherInkSetFetchesNoDiffusionRecord) {
  auto b = makeBlock(2, 3);
  b[PPB_INPUT_COLOUR_TYPE] = 3;
  b[PPB_INK_SET] = 3;
  runJob(b);
  EXPECT_EQ(world.host.calls[1], "OpenErrdiff4");
  EXPECT_EQ(world.host.lastErrdiffParams.inkCount, 4);
  EXPECT_EQ(world.host.lastErrdiffParams.levels, 4);
}

// A job that screens continuous-tone bands cannot print without colour
// adjustment and screening: it is refused at open, with everything released,
// instead of sending blank or unadjusted pages.
TEST_F(ColourPipeline, ContinuousToneJobIsRefusedWhenAdjustmentOrScreeningCannotOpen) {
  struct Case {
    const char* what;
    int bits, screening;
    int failAllocation;  // the colour-adjust data is the fourth allocation
    bool adjustFails, diffusionFails;
    int screens;
    Calls calls;
    int colourType = 2, outputPlanes = 4, inkSet = 2;  // or a job whose inks do not all reach the printer
  };
  const Case cases[] = {
      {"no adjust data", 1, 3, 4, false, false, 4, {}},
      {"no adjust handle", 1, 3, -1, true, false, 4, {"OpenColorAdjust_CMYK"}},
      {"no diffusion", 1, 3, -1, false, true, 4, {"OpenColorAdjust_CMYK", "CloseColorAdjust_CMYK"}},
      {"no 4-level diffusion", 2, 5, -1, false, true, 4,
       {"OpenColorAdjust_CMYK", "GetErrorDiffParam", "CloseColorAdjust_CMYK"}},
      {"too few screens", 1, 4, -1, false, false, 3, {"OpenColorAdjust_CMYK", "CloseColorAdjust_CMYK"}},
      {"dither without adjust", 1, 4, -1, true, false, 4, {"OpenColorAdjust_CMYK"}},
      {"CMYK adjustment of planes screening never reads", 1, 3, -1, false, false, 4, {}, 1},
      {"light inks beyond the stream's four planes", 2, 3, -1, false, false, 4, {}, 2, 6, 7},
      {"six pre-screened planes", 1, 0, -1, false, false, 4, {}, 2, 6, 2},
  };
  for (const Case& c : cases) {
    FakeWorld w;
    w.counterFile = world.counterFile;
    w.host.devices["dev"] = "P1";
    w.host.block(1) = makeBlock(c.bits, c.screening);
    w.host.block(1)[PPB_INPUT_COLOUR_TYPE] = std::uint8_t(c.colourType);
    w.host.block(1)[PPB_OUTPUT_PLANES] = std::uint8_t(c.outputPlanes);
    w.host.block(1)[PPB_INK_SET] = std::uint8_t(c.inkSet);
    w.host.useScreens(c.screens);
    w.host.openColorAdjustFails = c.adjustFails;
    w.host.openErrdiffFails = c.diffusionFails;
    w.memory.failAt = c.failAllocation;
    EXPECT_EQ(initPrinterJob(w.env(), 1, nullptr, 16, 2, 4), nullptr) << c.what;
    EXPECT_EQ(w.host.calls, c.calls) << c.what;
    EXPECT_TRUE(w.spooler.documents.empty()) << c.what;
    EXPECT_EQ(w.spooler.openHandles, 0) << c.what;
    EXPECT_EQ(w.memory.allocations - (c.failAllocation > 0 ? 1 : 0), w.memory.releases) << c.what;
  }
}

// A job whose block names no screening method takes pre-screened bands only;
// it needs no colour adjustment, so a failure there does not refuse it.
TEST_F(ColourPipeline, PreScreenedJobOpensAndPrintsWithoutColourAdjustment) {
  for (int failAllocation : {-1, 4}) {
    FakeWorld w;
    w.counterFile = world.counterFile;
    w.host.devices["dev"] = "P1";
    w.host.block(1) = makeBlock(1, 0);
    w.host.openColorAdjustFails = 1;
    w.memory.failAt = failAllocation;
    PrinterJob* job = initPrinterJob(w.env(), 1, nullptr, 32, 2, 4);
    ASSERT_NE(job, nullptr) << failAllocation;
    ASSERT_EQ(startPrinterJob(*job), 0);
    std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(4 * 2, 0x5A));
    std::vector<void*> ptr;
    for (auto& p : planes) ptr.push_back(p.data());
    EXPECT_EQ(writePrinterBand(*job, ptr.data(), 2, 2, 4), 1);  // nothing would screen it: not sent
    EXPECT_EQ(sendPrinterBand(*job, ptr.data(), 32, 2, 4), 0);
    EXPECT_EQ(stopPrinterJob(*job), 0);
    EXPECT_EQ(closePrinterJob(job), 0);
    DecodedPage page = decodeRows(w.spooler.documents.at(0).bytes);
    ASSERT_TRUE(page.ok);
    const std::vector<std::uint8_t> row(4, 0x5A);
    for (const auto& rows : page.rows) EXPECT_EQ(rows, std::vector<std::vector<std::uint8_t>>(2, row));
    EXPECT_EQ(w.memory.allocations - (failAllocation > 0 ? 1 : 0), w.memory.releases);
  }
}

TEST_F(ColourPipeline, CallsCarryTheBandsSizeTheRowLengthOffsetMirrorAndTheJobsBuffers) {
  auto b = makeBlock(2, 5);
  b[PPB_INK_SET] = 6;
  b[PPB_MIRROR] = 1;
  put32(b, PPB_LEFT_OFFSET, 5);
  put32(b, PPB_COLOR_ADJUST_ID, 77);
  world.host.block(3) = b;
  PrinterJob* job = initPrinterJob(world.env(), 3, nullptr, 16, 9, 4);
  ASSERT_NE(job, nullptr);
  // A band narrower than the page: 12 pixels, 3 rows, 4 planes.
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(12 * 3 * 2, 0x40));
  std::vector<void*> ptr;
  for (auto& p : planes) ptr.push_back(p.data());
  ASSERT_EQ(startPrinterJob(*job), 0);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 12, 3, 4), 0);
  // 2 bits x ceil((16 + 5) / 32) words x 4 bytes.
  EXPECT_EQ(job->rowLength, 8);
  EXPECT_EQ(world.host.callArgs,
            (Calls{"GetColorAdjustData 77 0 1",     // identifier, 0, address of the buffer
                   "OpenErrdiff4 3 16 4",           // job number, width at open, ink count
                   "WriteColorAdjust_CMYKOrGr 12 3 4 4",  // band width, rows, input planes, inks
                   "WriteErrdiff4 4 12 8 3 5 1"}));  // inks, width, row length, rows, left offset, mirror
  EXPECT_EQ(world.host.colorAdjustDataOpened, world.host.colorAdjustDataAddress);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(world.host.lastConverted[i], job->convertedPlanes[i]) << i;
    EXPECT_NE(world.host.lastConverted[i], nullptr) << i;
    EXPECT_EQ(world.host.lastScreened[i], job->screenedPlanes[i]) << i;
  }
  for (int i = 0; i < 4; ++i) EXPECT_NE(world.host.lastConverted[i], ptr[std::size_t(i)]) << i;
  EXPECT_EQ(closePrinterJob(job), 0);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

TEST_F(ColourPipeline, CmykBandIsAdjustedInTheModulesCopiesWithTheBandsSize) {
  auto b = makeBlock(1, 3);
  put32(b, PPB_LEFT_OFFSET, 40);
  world.host.block(1) = b;
  PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 30, 9, 4);
  ASSERT_NE(job, nullptr);
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(30 * 2 * 2, 0x40));
  std::vector<void*> ptr;
  for (auto& p : planes) ptr.push_back(p.data());
  ASSERT_EQ(startPrinterJob(*job), 0);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 30, 2, 4), 0);
  EXPECT_EQ(world.host.callArgs, (Calls{"GetColorAdjustData 0 0 1", "OpenErrdiff 1 30 4",
                                        "WriteColorAdjust_CMYK_old 30 2 4", "WriteErrdiff 4 30 12 2 40 0"}));
  // The CMYK variant works in place: on the module's copies, which the diffusion reads.
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(world.host.lastConverted[i], job->convertedPlanes[i]) << i;
    EXPECT_NE(world.host.lastConverted[i], ptr[std::size_t(i)]) << i;
  }
  closePrinterJob(job);
}

TEST_F(ColourPipeline, DitherScreensComeFromTheBlocksScreenIdentifier) {
  world.host.thresholds.assign(4, 128);
  PlexorScreenEntry e{};
  e.width = 2;
  e.height = 2;
  e.thresholds = world.host.thresholds.data();
  world.host.screenEntries.assign(4, e);
  auto b = makeBlock(1, 4);
  put32(b, PPB_SCREEN_ID, 55);
  world.host.block(1) = b;
  PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 16, 2, 4);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(world.host.callArgs, (Calls{"GetColorAdjustData 0 0 1", "GetScreenData 55 0", "GetScreenData 55 0",
                                        "GetScreenData 55 0", "GetScreenData 55 0"}));
  closePrinterJob(job);
}

TEST_F(ColourPipeline, DitherMatricesComeFromTheScreenRecord) {
  world.host.thresholds.assign(4, 128);
  for (int i = 0; i < 4; ++i) {
    PlexorScreenEntry e{};
    e.width = 2;
    e.height = 2;
    e.shift = 1;
    e.thresholds = world.host.thresholds.data();
    world.host.screenEntries.push_back(e);
  }
  world.host.block(1) = makeBlock(1, 4);
  PrinterJob* job = initPrinterJob(world.env(), 1, nullptr, 16, 2, 4);
  ASSERT_NE(job, nullptr);
  EXPECT_TRUE(job->screeningOpen);
  // Samples 0xFF00 narrow to 0xFF >= 128: every pixel of the 16 gets a dot.
  std::vector<std::vector<std::uint8_t>> planes(4, std::vector<std::uint8_t>(16 * 2 * 2, 0xFF));
  std::vector<void*> ptr;
  for (auto& p : planes) ptr.push_back(p.data());
  ASSERT_EQ(startPrinterJob(*job), 0);
  ASSERT_EQ(writePrinterBand(*job, ptr.data(), 16, 2, 4), 0);
  EXPECT_EQ(job->screenedPlanes[0][0], 0xFF);
  EXPECT_EQ(job->screenedPlanes[0][1], 0xFF);
  EXPECT_EQ(job->screenedPlanes[3][job->rowLength + 1], 0xFF);
  closePrinterJob(job);
  EXPECT_EQ(world.memory.allocations, world.memory.releases);
}

}  // namespace
}  // namespace vexmoor::testing
