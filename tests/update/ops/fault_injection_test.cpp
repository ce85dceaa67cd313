// Faults injected at every point of a step: a copy that breaks off after each
// byte it wrote (a full disk while the temporary is written, a source that
// breaks off), and a registry change refused at each entry of the script.
// Whatever fails is left as it was before, what came earlier as it is after,
// and no temporary stays behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_registry.h"
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
    if (refused == 4) EXPECT_EQ(registry.stringValue(base + "\\Parent\\Child", "Keep"), "y");
    EXPECT_EQ(registry.openHandleCount(), 0);
  }
}

}  // namespace
}  // namespace quillet
