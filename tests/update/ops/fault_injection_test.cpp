// Faults injected at every point of a step: a copy that breaks off after each
// byte it wrote (a full disk while the temporary is written, a source that
// breaks off), and a registry change refused at each entry of the script.
// Whatever fails is left as it was before, what came earlier as it is after,
// and no temporary stays behind. Then whole runs: a service stuck in
// STOP_PENDING, and a disk that fills while a temporary is written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_registry.h"
#include "tests/update/fake_machine.h"
#include "update/ops/executor.h"
#include "update/ops/file_placement.h"
#include "update/ops/registry_edits.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

const std::string kApp = "C:\\Plexor";
const std::string kMedia = "D:\\media";
const std::string kOffered = "offered library, twenty-nine";

struct CopyCase {
  const char* name;
  bool installed;                  // an older lib.dll is in place
  std::uint32_t installedAttributes;
  std::uint32_t offeredAttributes;
};

TEST(FaultInjection, CopyBreakingOffAfterEveryByteLeavesTheTargetAsItWas) {
  const CopyCase cases[] = {
      {"replaces an older file", true, kAttrArchive, kAttrArchive},
      {"replaces a read-only file", true, kAttrReadOnly, kAttrArchive},
      {"adds a new file", false, 0, kAttrArchive},
      {"adds a read-only file", false, 0, kAttrReadOnly},
  };
  Cp932CodePage cp;
  for (const CopyCase& c : cases) {
    for (std::size_t written = 0; written < kOffered.size(); ++written) {
      SCOPED_TRACE(std::string(c.name) + ", break after " + std::to_string(written) + " bytes");
      FakeFileSystem files;
      files.addFolder(kApp);
      files.addFolder(kMedia);
      files.addFile(kMedia + "\\first.dll", "first", 2000);
      files.addFile(kMedia + "\\lib.dll", kOffered, 2000, c.offeredAttributes);
      files.setVersionText(kMedia + "\\lib.dll", "2.0.0");
      files.addFile(kMedia + "\\third.dll", "third", 2000);
      std::vector<std::string> after = {kApp + "\\first.dll"};
      if (c.installed) {
        files.addFile(kApp + "\\lib.dll", "installed", 1000, c.installedAttributes);
        files.setVersionText(kApp + "\\lib.dll", "1.0.0");
        after.push_back(kApp + "\\lib.dll");
      }
      files.failCopyPartway(kMedia + "\\lib.dll", written);

      auto job = std::make_unique<UpdateJob>();
      for (const char* name : {"first.dll", "lib.dll", "third.dll"}) {
        FileEntry& entry = job->fileEntries[job->fileEntryCount++];
        entry.sourcePath = kMedia + "\\" + name;
        entry.targetPath = kApp + "\\" + name;
      }
      EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
      EXPECT_EQ(job->fileCursor, 1);  // a second run starts again at lib.dll
      EXPECT_EQ(files.contents(kApp + "\\first.dll"), "first");
      EXPECT_EQ(files.pathsBelow(kApp), after);  // no temporary, nothing of third.dll
      if (c.installed) {
        EXPECT_EQ(files.contents(kApp + "\\lib.dll"), "installed");
        // Only the read-only bit is gone: placement makes every target it
        // looks at writable before it decides to copy.
        const std::uint32_t expected = c.installedAttributes & ~std::uint32_t{kAttrReadOnly};
        EXPECT_EQ(files.getAttributes(kApp + "\\lib.dll"), expected != 0 ? expected : kAttrNormal);
      }
    }
  }
}

// One entry of each kind, each on its own key, refused in turn.
TEST(FaultInjection, RegistryChangeRefusedAtEachEntryLeavesOnlyThatEntryUndone) {
  const std::string base = "SOFTWARE\\norvane\\Plexor\\Faults";
  struct Edit {
    int operation;
    std::string key;
    const char* name;
    const char* data;
    FakeRegistry::Op refused;
    std::string refusedPath;
  };
  const std::vector<Edit> edits = {
      {kRegCreateKey, base + "\\Made", "", "", FakeRegistry::Op::Create, base + "\\Made"},
      {kRegSetString, base + "\\Text", "S", "after", FakeRegistry::Op::Set, base + "\\Text"},
      {kRegSetDword, base + "\\Number", "D", "7", FakeRegistry::Op::Set, base + "\\Number"},
      {kRegDeleteValue, base + "\\Old", "Gone", "", FakeRegistry::Op::DeleteValue, base + "\\Old"},
      {kRegDeleteSubKey, base + "\\Parent", "Child", "", FakeRegistry::Op::DeleteKey,
       base + "\\Parent\\Child"},
  };
  for (std::size_t refused = 0; refused < edits.size(); ++refused) {
    SCOPED_TRACE("refused at entry " + std::to_string(refused));
    FakeRegistry registry;
    registry.setString(base + "\\Text", "S", "before");
    registry.setDword(base + "\\Number", "D", 1);
    registry.setString(base + "\\Old", "Gone", "x");
    registry.setString(base + "\\Parent\\Child", "Keep", "y");
    auto job = std::make_unique<UpdateJob>();
    for (const Edit& e : edits) {
      RegistryEntry& entry = job->registryEntries[job->registryEntryCount++];
      entry.operation = e.operation;
      entry.keyPath = e.key;
      entry.valueName = e.name;
      entry.valueData = e.data;
    }
    registry.injectFailure(edits[refused].refused, edits[refused].refusedPath);

    EXPECT_EQ(applyRegistryEntries(*job, registry), 1);  // a refused edit is passed over
    EXPECT_EQ(registry.keyExists(base + "\\Made"), refused != 0);
    EXPECT_EQ(registry.stringValue(base + "\\Text", "S"), refused == 1 ? "before" : "after");
    std::uint32_t type = 0;
    std::string number;
    ASSERT_TRUE(registry.rawValue(base + "\\Number", "D", &type, &number));
    EXPECT_EQ(number, std::string(refused == 2 ? "\x01" : "\x07") + std::string(3, '\0'));
    EXPECT_EQ(registry.valueExists(base + "\\Old", "Gone"), refused == 3);
    EXPECT_EQ(registry.keyExists(base + "\\Parent\\Child"), refused == 4);
    if (refused == 4) {
      EXPECT_EQ(registry.stringValue(base + "\\Parent\\Child", "Keep"), "y");
    }
    EXPECT_EQ(registry.openHandleCount(), 0);
  }
}

// Every fake a whole run touches, with a script that stops S1 and S2, places
// first.dll, lib.dll (over an older one) and third.dll, starts S2 and sets
// one registry value.
struct RunWorld : FakeMachine {
  RunWorld() {
    files.addFolder(kApp);
    files.addFile(kMedia + "\\first.dll", "first", 2000);
    files.addFile(kMedia + "\\lib.dll", kOffered, 2000);
    files.setVersionText(kMedia + "\\lib.dll", "2.0.0");
    files.addFile(kMedia + "\\third.dll", "third", 2000);
    files.addFile(kApp + "\\lib.dll", "installed", 1000);
    files.setVersionText(kApp + "\\lib.dll", "1.0.0");
    services.services["S1"];
    services.services["S2"];
    for (const char* name : {"first.dll", "lib.dll", "third.dll"}) {
      FileEntry& entry = job->fileEntries[job->fileEntryCount++];
      entry.sourcePath = kMedia + "\\" + name;
      entry.targetPath = kApp + "\\" + name;
    }
    for (const char* name : {"S1", "S2"}) job->servicesToStop[job->serviceToStopCount++] = name;
    job->servicesToStart[job->serviceToStartCount++] = "S2";
    RegistryEntry& reg = job->registryEntries[job->registryEntryCount++];
    reg.operation = kRegSetString;
    reg.keyPath = kConfigurationKey;
    reg.valueName = "SpoolMode";
    reg.valueData = "1";
  }
  int run() {
    return executeUpdate(*job, ports);
  }
  static constexpr const char* kConfigurationKey = "SOFTWARE\\norvane\\Plexor\\Configuration";

  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

// What a run leaves behind, but for its waits.
struct RunOutcome {
  int result;
  int fileCursor;
  std::vector<std::string> files;  // "path=contents" below the application folder
  bool registryEdited;
  std::vector<std::string> serviceLog;
  std::vector<std::string> progress;
  bool operator==(const RunOutcome& o) const {
    return result == o.result && fileCursor == o.fileCursor && files == o.files &&
           registryEdited == o.registryEdited && serviceLog == o.serviceLog && progress == o.progress;
  }
};

RunOutcome outcomeOf(RunWorld& w, int result) {
  RunOutcome out{result, w.job->fileCursor, {}, w.registry.valueExists(RunWorld::kConfigurationKey, "SpoolMode"),
                 w.services.log, w.ui.progress.calls};
  for (const std::string& path : w.files.pathsBelow(kApp)) out.files.push_back(path + "=" + w.files.contents(path));
  return out;
}

void PrintTo(const RunOutcome& o, std::ostream* os) {
  *os << "result " << o.result << ", cursor " << o.fileCursor << ", files " << ::testing::PrintToString(o.files)
      << ", registry " << o.registryEdited << ", services " << ::testing::PrintToString(o.serviceLog);
}

ServiceStatus stopPending(std::uint32_t checkPoint, std::uint32_t hint) {
  return ServiceStatus{kServiceStopPending, checkPoint, hint};
}

TEST(FaultInjection, WholeRunsWithAStuckServiceOrADiskFillingUnderTheTemporary) {
  // The references: a run without faults, and a run whose lib.dll copy fails
  // before its temporary is even created.
  RunWorld clean;
  const RunOutcome after = outcomeOf(clean, clean.run());
  ASSERT_EQ(after.result, kPlacementComplete);
  RunWorld refused;
  refused.files.failCopyFrom(kMedia + "\\lib.dll");
  const RunOutcome failedCopy = outcomeOf(refused, refused.run());
  ASSERT_EQ(failedCopy.result, kPlacementFailed);
  EXPECT_THAT(failedCopy.files, ::testing::ElementsAre(kApp + "\\first.dll=first", kApp + "\\lib.dll=installed"));
  EXPECT_FALSE(failedCopy.registryEdited);

  struct Case {
    std::string what;
    std::function<void(RunWorld&)> fault;
    const RunOutcome& expected;
    std::vector<std::uint32_t> stopPolls;  // the polls of S1's stop, before S2's
  };
  std::vector<Case> cases = {
      // A service that never leaves STOP_PENDING: its stop gives up once more
      // than its wait hint passes without a checkpoint advance; the run goes
      // on as if it had stopped.
      {"S1 stuck, hint 0", [](RunWorld& w) { w.services.services["S1"].afterStop = {stopPending(0, 0)}; },
       after, {1000}},
      {"S1 stuck, hint 5000",
       [](RunWorld& w) { w.services.services["S1"].afterStop = {stopPending(4, 5000)}; }, after,
       std::vector<std::uint32_t>(6, 1000)},
      {"S1 advances twice, then stuck with hint 30000",
       [](RunWorld& w) {
         w.services.services["S1"].afterStop = {stopPending(0, 30000), stopPending(1, 30000), stopPending(2, 30000)};
       },
       after, std::vector<std::uint32_t>(2 + 11, 3000)},
  };
  // A disk that fills while lib.dll's temporary is written, after each byte.
  for (std::size_t written = 0; written < kOffered.size(); ++written)
    cases.push_back({"disk full after " + std::to_string(written) + " bytes",
                     [written](RunWorld& w) { w.files.failCopyPartway(kMedia + "\\lib.dll", written); }, failedCopy,
                     {1000}});
  // The same with lib.dll held open by a program that shares writes (it
  // would be overwritten in place from a complete temporary).
  cases.push_back({"disk full after 9 bytes, target held open",
                   [](RunWorld& w) {
                     w.files.holdOpenSharingWrite(kApp + "\\lib.dll");
                     w.files.failCopyPartway(kMedia + "\\lib.dll", 9);
                   },
                   failedCopy, {1000}});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunWorld w;
    c.fault(w);
    EXPECT_EQ(outcomeOf(w, w.run()), c.expected);
    // The waits: S1's polls, then those of the reference run after S1's one poll.
    std::vector<std::uint32_t> sleeps = c.stopPolls;
    const std::vector<std::uint32_t>& reference = &c.expected == &after ? clean.clock.sleeps : refused.clock.sleeps;
    sleeps.insert(sleeps.end(), reference.begin() + 1, reference.end());
    EXPECT_EQ(w.clock.sleeps, sleeps);
    EXPECT_EQ(w.services.openManagers + w.services.openServices + w.registry.openHandleCount(), 0);
  }
}

}  // namespace
}  // namespace quillet
