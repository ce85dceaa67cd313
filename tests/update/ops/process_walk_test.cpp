// The process list from performance data: the walk over well-formed, cut
// and corrupted blocks (built with address checks: any read outside the
// block fails the test), and the query around it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "tests/fakes/fake_processes.h"
#include "tests/update/ops/perf_block.h"
#include "update/ops/process_list.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

const std::vector<PerfInstance> kThree{{u"Idle", 0}, {u"notepad", 412}, {u"svc", 77}};

int walk(const std::vector<unsigned char>& block, ProcessInfo* list, int capacity = kProcessListSize) {
  // An exactly sized copy, so that the address checks see its end.
  std::unique_ptr<unsigned char[]> exact(new unsigned char[block.size() + (block.empty() ? 1 : 0)]);
  std::copy(block.begin(), block.end(), exact.get());
  FakeProcesses processes;
  return readProcessObject(exact.get(), block.size(), kIdProcessIndex, processes, list, capacity);
}

TEST(ProcessWalkTest, WellFormedBlockGivesNamesAndIds) {
  ProcessInfo list[kProcessListSize];
  const std::u16string sixty(60, u'x'), fiftyNine(59, u'y');
  ASSERT_EQ(walk(buildProcessBlock({{u"Idle", 0}, {u"notepad", 412}, {sixty, 5}, {fiftyNine, 6}}), list), 4);
  EXPECT_STREQ(list[0].name, "Idle.exe");
  EXPECT_EQ(list[0].processId, kUnknownProcessId);  // a zero id
  EXPECT_STREQ(list[1].name, "notepad.exe");
  EXPECT_EQ(list[1].processId, 412u);
  EXPECT_STREQ(list[2].name, "");  // 60 + ".exe" + NUL would not fit 64 bytes
  EXPECT_EQ(list[2].processId, 5u);
  EXPECT_EQ(std::string(list[3].name), std::string(59, 'y') + ".exe");
  EXPECT_EQ(list[1].mark, 0);
}

// A block recorded under Wine with the project's test provider: a header
// with the system name ("VM", so the object starts at 96), eight processes.
const char kRecordedBlock[] =
    "500045005200460001000000010000000100000090020000600000000100000000000000ea070c000200080009000800"
    "29001b00000000008244b13f04000000809698000000000056d4d3b7f386dd01060000005800000056004d0000000000"
    "300200006800000040000000e600000000000000e7000000000000006400000001000000ffffffff0800000000000000"
    "000000000000000000000000000000002800000010030000000000001103000000000000000000009001000000000100"
    "0400000004000000300000000000000000000000ffffffff180000001200000073006500720076006900630065007300"
    "00000000000000000c0000003800000000000000300000000000000000000000ffffffff180000001600000077006900"
    "6e006500640065007600690063006500000000000c0000004400000000000000300000000000000000000000ffffffff"
    "1800000016000000770069006e006500640065007600690063006500000000000c0000006c0000000000000030000000"
    "0000000000000000ffffffff180000001200000070006c007500670070006c006100790000000000000000000c000000"
    "9400000000000000280000000000000000000000ffffffff180000001000000073007600630068006f00730074000000"
    "0c000000ac00000000000000300000000000000000000000ffffffff18000000120000006500780070006c006f007200"
    "6500720000000000000000000c000000dc00000000000000280000000000000000000000ffffffff180000000c000000"
    "720070006300730073000000000000000c000000f000000000000000280000000000000000000000ffffffff18000000"
    "0a000000640075006d00700000000000000000000c0000001401000000000000";

TEST(ProcessWalkTest, RecordedBlock) {
  std::vector<unsigned char> block;
  for (const char* p = kRecordedBlock; p[0] != 0; p += 2)
    block.push_back(static_cast<unsigned char>(std::stoi(std::string(p, 2), nullptr, 16)));
  ProcessInfo list[kProcessListSize];
  ASSERT_EQ(walk(block, list), 8);
  std::vector<std::pair<std::string, std::uint32_t>> read;
  for (int i = 0; i < 8; ++i) read.emplace_back(list[i].name, list[i].processId);
  EXPECT_THAT(read, ElementsAre(std::make_pair("services.exe", 56u), std::make_pair("winedevice.exe", 68u),
                                std::make_pair("winedevice.exe", 108u), std::make_pair("plugplay.exe", 148u),
                                std::make_pair("svchost.exe", 172u), std::make_pair("explorer.exe", 220u),
                                std::make_pair("rpcss.exe", 240u), std::make_pair("dump.exe", 276u)));
}

TEST(ProcessWalkTest, CapacityLeavesOneEntryFree) {
  std::vector<PerfInstance> many(300, PerfInstance{u"p", 9});
  ProcessInfo list[kProcessListSize];
  EXPECT_EQ(walk(buildProcessBlock(many), list), kProcessListSize - 1);
}

TEST(ProcessWalkTest, CutBlocksGiveTheInstancesThatAreWhole) {
  PerfLayout layout;
  const std::vector<unsigned char> full = buildProcessBlock(kThree, &layout);
  ProcessInfo list[kProcessListSize];
  for (std::size_t length = 0; length <= full.size(); ++length) {
    int whole = 0;
    if (length >= layout.idDefinition + 40) {
      for (std::size_t end : layout.counterBlocks) whole += end + 24 <= length ? 1 : 0;
    }
    EXPECT_EQ(walk(std::vector<unsigned char>(full.begin(), full.begin() + length), list), whole)
        << "length " << length;
  }
}

TEST(ProcessWalkTest, CorruptedFieldsStopTheWalkInsideTheBlock) {
  struct Case {
    const char* what;
    std::function<void(std::vector<unsigned char>&, const PerfLayout&)> spoil;
    int expected;
  };
  const Case cases[] = {
      {"no signature", [](auto& b, auto&) { b[0] = 'Q'; }, 0},
      {"no object", [](auto& b, auto&) { put32(b, 28, 0); }, 0},
      {"object past the end", [](auto& b, auto&) { put32(b, 24, 0xFFFFFFF0); }, 0},
      {"counter header past the end", [](auto& b, auto& l) { put32(b, l.object + 8, 0x7FFFFFFF); }, 0},
      {"endless counters of length 0",
       [](auto& b, auto& l) { put32(b, l.object + 32, 0xFFFFFFFF); put32(b, l.object + 64, 0); }, 0},
      {"no id counter", [](auto& b, auto& l) { put32(b, l.idDefinition + 4, 5); }, 0},
      {"id offset past the counter block", [](auto& b, auto& l) { put32(b, l.idDefinition + 36, 22); }, 0},
      {"id offset wrapping", [](auto& b, auto& l) { put32(b, l.idDefinition + 36, 0xFFFFFFFE); }, 0},
      {"instances past the end", [](auto& b, auto& l) { put32(b, l.object + 4, 0xFFFFFF00); }, 0},
      {"more instances than there are", [](auto& b, auto& l) { put32(b, l.object + 40, 1000); }, 3},
      {"no instances (-1)", [](auto& b, auto& l) { put32(b, l.object + 40, 0xFFFFFFFF); }, 0},
      {"name past the end", [](auto& b, auto& l) { put32(b, l.instances[1] + 16, 0xFFFFFFF0); }, 1},
      {"name too long", [](auto& b, auto& l) { put32(b, l.instances[1] + 20, 0x10000000); }, 1},
      {"instance shorter than its header", [](auto& b, auto& l) { put32(b, l.instances[2], 8); }, 2},
      {"instance past the end", [](auto& b, auto& l) { put32(b, l.instances[2], 0xFFFFFFF8); }, 2},
      {"counter block of length 0", [](auto& b, auto& l) { put32(b, l.counterBlocks[0], 0); }, 0},
      {"counter block too short for the id", [](auto& b, auto& l) { put32(b, l.counterBlocks[1], 12); }, 1},
      {"counter block past the end", [](auto& b, auto& l) { put32(b, l.counterBlocks[1], 0x80000000); }, 1},
  };
  for (const Case& c : cases) {
    PerfLayout layout;
    std::vector<unsigned char> block = buildProcessBlock(kThree, &layout);
    c.spoil(block, layout);
    ProcessInfo list[kProcessListSize];
    EXPECT_EQ(walk(block, list), c.expected) << c.what;
  }
}

TEST(ProcessWalkTest, QueryGrowsTheBufferAndEveryFailureGivesAnEmptyList) {
  auto prepared = [] {
    auto processes = std::make_unique<FakeProcesses>();
    processes->counters.assign(kProcessCounters, kProcessCountersSize);
    processes->answer = buildProcessBlock(kThree);
    return processes;
  };
  ProcessInfo list[kProcessListSize];
  auto grown = prepared();
  grown->moreDataAnswers = 2;
  EXPECT_EQ(listProcesses(*grown, list, kProcessListSize), 3);
  EXPECT_EQ(grown->keyPathRead, "software\\microsoft\\windows nt\\currentversion\\perflib\\009");
  EXPECT_EQ(grown->valueQueried, "230");
  EXPECT_THAT(grown->offeredSizes, ElementsAre(51200u, 76800u, 102400u));
  EXPECT_EQ(grown->closes, 1);

  const std::vector<std::function<void(FakeProcesses&)>> failures{
      [](FakeProcesses& p) { p.hasCounters = false; },
      [](FakeProcesses& p) { p.counters.assign("230\0Process\0", 12); },  // no id counter
      [](FakeProcesses& p) { p.counters.assign("784\0ID Process\0", 16); },  // no object
      [](FakeProcesses& p) { p.queryError = 2; },
      [](FakeProcesses& p) { p.moreDataAnswers = 1 << 30; },  // never enough
  };
  for (std::size_t i = 0; i < failures.size(); ++i) {
    auto processes = prepared();
    failures[i](*processes);
    EXPECT_EQ(listProcesses(*processes, list, kProcessListSize), 0) << "failure " << i;
  }
}

}  // namespace
}  // namespace quillet
