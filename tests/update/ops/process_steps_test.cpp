// Matching process names against "termProc:" patterns, and ending the
// matching processes (never the own one).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/fakes/fake_processes.h"
#include "tests/update/fake_machine.h"
#include "tests/update/ops/perf_block.h"
#include "update/ops/debug_privilege.h"
#include "update/ops/process_list.h"
#include "update/ops/process_pattern.h"
#include "update/ops/update_steps.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

using ::testing::UnorderedElementsAre;

TEST(MatchPatternTest, Cases) {
  struct Case {
    const char* name;
    const char* pattern;
    int expected;
  };
  static const std::string sixtyAs(60, 'a');
  const Case cases[] = {
      {"notepad", "NOTE*", 1},        {"Notebook.exe", "NOTE*", 1},   {"anote", "NOTE*", 0},
      {"", "*", 1},                   {"abc", "*", 1},                {"notepad", "N*D", 1},
      {"notepad", "N*E", 0},          {"abc", "???", 1},              {"abc", "??", 0},
      {"", "?", 0},                   {"calc", "[A-C]ALC", 1},        {"dcalc", "[A-C]ALC", 0},
      {"dalc", "[A-C]ALC", 0},        {"y", "[XYZ]", 1},              {"b", "[XA-CZ]", 1},
      {"-", "[-A]", 1},               {"-", "[A-]", 1},               {"q", "[A-C]", 0},
      {"a", "[AB", 0},                {"", "[A]", 0},                 {"ab", "A", 0},
      {"a", "", 0},                   {"", "", 1},                    {"calc.exe", "CALC.EXE", 1},
      // Two-byte characters: one "?" each, trail bytes never upper-cased.
      {"\x83\x5C" "a", "??", 1},      {"\x83\x5C" "a", "???", 0},     {"\x82\x61", "\x82\x41", 0},
      {"\x82\x61", "\x82\x61", 1},    {"x\x83\x5Cz", "X*Z", 1},
      {sixtyAs.c_str(), "*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*A*B", 0},
  };
  Cp932CodePage cp;
  for (const Case& c : cases) {
    EXPECT_EQ(matchPattern(c.name, c.pattern, cp), c.expected) << c.name << " ~ " << c.pattern;
  }
}

TEST(DebugPrivilegeTest, EachFailureWritesItsLine) {
  struct Case {
    PrivilegeStage stage;
    const char* line;
  };
  const Case cases[] = {{PrivilegeStage::kEnabled, ""},
                        {PrivilegeStage::kOpenToken, "OpenProcessToken failed with 5\n"},
                        {PrivilegeStage::kLookup, "LookupPrivilegeValue failed with 5\n"},
                        {PrivilegeStage::kAdjust, "AdjustTokenPrivileges failed with 5\n"}};
  for (const Case& c : cases) {
    FakeProcesses processes;
    processes.privilege = c.stage;
    processes.privilegeError = 5;
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(enableDebugPrivilege(processes, out), c.stage == PrivilegeStage::kEnabled ? 1 : 0);
    std::rewind(out);
    char written[80] = {};
    EXPECT_EQ(std::string(written, std::fread(written, 1, sizeof written - 1, out)), c.line);
    std::fclose(out);
  }
}

TEST(EndListedProcessesTest, EndsMatchesByNameOrNameWithoutExtensionButNeverItself) {
  FakeMachine machine;
  FakeProcesses& processes = machine.processes;
  auto job = std::make_unique<UpdateJob>();
  const char* names[] = {"note*", "[a-c]alc", "quillet", "svc.exe",
                         "DCALC*****************************************************************"};
  for (const char* name : names) job->processesToEnd[job->processToEndCount++] = name;
  processes.ownId = 100;
  processes.counters.assign(kProcessCounters, kProcessCountersSize);
  processes.answer = buildProcessBlock({{u"Idle", 0},        {u"notepad", 10}, {u"NOTEBOOK", 11},
                                       {u"calc", 12},       {u"dcalc", 13},   {u"quillet", 100},
                                       {u"svc", 14},        {u"svc2", 15},    {std::u16string(60, u'n'), 16}});
  processes.unendable = {11};
  StandardSteps steps(*job, machine.ports);
  EXPECT_EQ(steps.endListedProcesses(), 0);  // 11 could not be ended
  // The 65-byte pattern is left out whole, so dcalc stays; the nameless
  // 60-byte entry is never matched.
  EXPECT_THAT(processes.ended, UnorderedElementsAre(10u, 12u, 14u));
  processes.unendable.clear();
  processes.ended.clear();
  job->processToEndCount = 3;
  job->processesToEnd[0] = "nothing*";
  job->processesToEnd[2] = "*";
  EXPECT_EQ(steps.endListedProcesses(), 1);
  EXPECT_THAT(processes.ended, UnorderedElementsAre(kUnknownProcessId, 10u, 11u, 12u, 13u, 14u, 15u));
}

// Busy machines run more than 255 processes: every one is matched.
TEST(EndListedProcessesTest, MatchesPastTheTwoHundredFiftyFifthProcess) {
  FakeMachine machine;
  std::vector<PerfInstance> instances(300, {u"busy", 7});
  instances.push_back({u"late", 1300});
  machine.processes.counters.assign(kProcessCounters, kProcessCountersSize);
  machine.processes.answer = buildProcessBlock(instances);
  auto job = std::make_unique<UpdateJob>();
  job->processesToEnd[job->processToEndCount++] = "late";
  EXPECT_EQ(StandardSteps(*job, machine.ports).endListedProcesses(), 1);
  EXPECT_THAT(machine.processes.ended, UnorderedElementsAre(1300u));
}

}  // namespace
}  // namespace quillet
