// File placement: removal of targets, the version-or-time rule, and copies
// that leave the installed file untouched when they fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/fakes/fake_file_system.h"
#include "update/ops/executor.h"
#include "update/ops/file_placement.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

// "表" is 0x95 0x5C in code page 932: its trail byte is a backslash.
const std::string kHyou = "\x95\x5C";
const std::string kApp = "C:\\Plexor";
const std::string kMedia = "D:\\media";

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.addFolder(kApp);
    files.addFolder(kMedia);
  }
  FileEntry& add(const std::string& name, int onlyIfPresent = 0, int skipVersionCheck = 0,
                 int removeTarget = 0) {
    FileEntry& entry = job->fileEntries[job->fileEntryCount++];
    entry.sourcePath = kMedia + "\\" + name;
    entry.targetPath = kApp + "\\" + name;
    entry.onlyIfPresent = onlyIfPresent;
    entry.skipVersionCheck = skipVersionCheck;
    entry.removeTarget = removeTarget;
    return entry;
  }
  void installed(const std::string& name, const std::string& bytes, const char* version,
                 std::uint64_t time = 1000, std::uint32_t attributes = kAttrArchive) {
    files.addFile(kApp + "\\" + name, bytes, time, attributes);
    if (version != nullptr) files.setVersionText(kApp + "\\" + name, version);
  }
  void offered(const std::string& name, const std::string& bytes, const char* version,
               std::uint64_t time = 1000, std::uint32_t attributes = kAttrArchive) {
    files.addFile(kMedia + "\\" + name, bytes, time, attributes);
    if (version != nullptr) files.setVersionText(kMedia + "\\" + name, version);
  }
  std::string at(const std::string& name) const { return files.contents(kApp + "\\" + name); }

  FakeFileSystem files;
  Cp932CodePage cp;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

// --- fileVersionNumber ---

TEST_F(PlacementTest, VersionNumberOfThreeParts) {
  EXPECT_EQ(parseFileVersion("1.2.3", cp), 10203);
  EXPECT_EQ(parseFileVersion("1.3.0", cp), 10300);
  EXPECT_EQ(parseFileVersion(" 2. 5. 7", cp), 20507);  // blanks before each number
  EXPECT_EQ(parseFileVersion("3.1.4 (build)", cp), 30104);
  EXPECT_EQ(parseFileVersion("1.x.3", cp), 10003);  // no digits count as 0
}

TEST_F(PlacementTest, VersionPartsOfHundredOrMoreOverlap) {
  EXPECT_EQ(parseFileVersion("1.100.0", cp), 20000);
  EXPECT_EQ(parseFileVersion("2.0.0", cp), 20000);
}

TEST_F(PlacementTest, VersionOfAnotherShapeIsNone) {
  EXPECT_EQ(parseFileVersion("1.0.0.1", cp), 0);
  EXPECT_EQ(parseFileVersion("1.2", cp), 0);
  EXPECT_EQ(parseFileVersion("5", cp), 0);
  EXPECT_EQ(parseFileVersion("", cp), 0);
}

TEST_F(PlacementTest, VersionDotsInsideTwoByteCharactersAreNotParts) {
  // 0x81 0x2E is not a valid pair, but 0x82 0x2E would be read as one
  // character: its trail byte must not count as a dot.
  EXPECT_EQ(parseFileVersion("1.2.3\x82.", cp), 10203);
  EXPECT_EQ(parseFileVersion("1\x82.2.3", cp), 0);  // one dot hidden: two parts
}

TEST_F(PlacementTest, VersionNumberComesFromTheFile) {
  installed("a.dll", "x", "1.2.3");
  installed("b.dll", "x", nullptr);
  EXPECT_EQ(fileVersionNumber(kApp + "\\a.dll", files, cp), 10203);
  EXPECT_EQ(fileVersionNumber(kApp + "\\b.dll", files, cp), 0);
  EXPECT_EQ(fileVersionNumber(kApp + "\\missing.dll", files, cp), 0);
}

// --- shouldCopy ---

TEST_F(PlacementTest, OlderSourceVersionKeepsTarget) {
  installed("a.dll", "old", "1.2.3");
  offered("a.dll", "new", "1.2.2");
  EXPECT_EQ(shouldCopy(kMedia + "\\a.dll", kApp + "\\a.dll", files, cp), 0);
}

TEST_F(PlacementTest, EqualOrNewerOrMissingSourceVersionCopies) {
  installed("a.dll", "old", "1.2.3");
  for (const char* version : {"1.2.3", "1.3.0", "1.0.0.1"}) {
    offered("a.dll", "new", version);
    EXPECT_EQ(shouldCopy(kMedia + "\\a.dll", kApp + "\\a.dll", files, cp), 1) << version;
  }
  offered("b.dll", "new", nullptr);
  installed("b.dll", "old", "1.2.3");
  EXPECT_EQ(shouldCopy(kMedia + "\\b.dll", kApp + "\\b.dll", files, cp), 1);
}

TEST_F(PlacementTest, OverlappingVersionsCompareAsNumbers) {
  installed("a.dll", "old", "2.0.1");
  offered("a.dll", "new", "1.100.0");  // 20000 < 20001
  EXPECT_EQ(shouldCopy(kMedia + "\\a.dll", kApp + "\\a.dll", files, cp), 0);
}

TEST_F(PlacementTest, UnversionedTargetDecidedByLastWriteTime) {
  offered("a.txt", "new", nullptr, 500);
  installed("a.txt", "old", nullptr, 1000);
  EXPECT_EQ(shouldCopy(kMedia + "\\a.txt", kApp + "\\a.txt", files, cp), 0);
  files.setLastWriteTime(kMedia + "\\a.txt", 1000);
  EXPECT_EQ(shouldCopy(kMedia + "\\a.txt", kApp + "\\a.txt", files, cp), 1);  // equal copies
  files.setLastWriteTime(kMedia + "\\a.txt", 1001);
  EXPECT_EQ(shouldCopy(kMedia + "\\a.txt", kApp + "\\a.txt", files, cp), 1);
}

TEST_F(PlacementTest, FourPartTargetVersionFallsBackToTimes) {
  installed("a.dll", "old", "1.0.0.1", 1000);
  offered("a.dll", "new", "9.9.9", 500);
  EXPECT_EQ(shouldCopy(kMedia + "\\a.dll", kApp + "\\a.dll", files, cp), 0);
}

TEST_F(PlacementTest, MissingTargetOrSourceCopies) {
  offered("a.txt", "new", nullptr, 500);
  EXPECT_EQ(shouldCopy(kMedia + "\\a.txt", kApp + "\\a.txt", files, cp), 1);
  installed("b.txt", "old", nullptr, 1000);
  EXPECT_EQ(shouldCopy(kMedia + "\\b.txt", kApp + "\\b.txt", files, cp), 1);
}

// --- placeFiles ---

TEST_F(PlacementTest, PlacesKeepsAndReplacesByTheRules) {
  installed("keep.dll", "installed", "1.2.3");
  offered("keep.dll", "offered", "1.2.2");
  installed("newer.dll", "installed", "1.2.3");
  offered("newer.dll", "offered", "1.3.0");
  offered("fresh.txt", "offered", nullptr);
  offered("replace-none.txt", "offered", nullptr);
  add("keep.dll");
  add("newer.dll");
  add("fresh.txt");
  add("replace-none.txt", 1);  // "replace:" without installed target

  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(job->fileCursor, 4);
  EXPECT_EQ(at("keep.dll"), "installed");
  EXPECT_EQ(at("newer.dll"), "offered");
  EXPECT_EQ(at("fresh.txt"), "offered");
  EXPECT_FALSE(files.exists(kApp + "\\replace-none.txt"));
  EXPECT_EQ(files.pathsBelow(kApp).size(), 3u);  // no temporary left behind
}

TEST_F(PlacementTest, KeptTargetLosesItsReadOnlyBitAllTheSame) {
  // The read-only bit is cleared before the rule is asked, whatever it says.
  installed("keep.dll", "installed", "1.2.3", 1000, kAttrReadOnly | kAttrArchive);
  offered("keep.dll", "offered", "1.2.2");
  add("keep.dll");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(at("keep.dll"), "installed");
  EXPECT_EQ(files.getAttributes(kApp + "\\keep.dll"), static_cast<std::uint32_t>(kAttrArchive));
}

TEST_F(PlacementTest, OverwriteReplacesReadOnlyOlderFileAndLeavesItWritable) {
  installed("cfg.dat", "installed", "9.9.9", 2000, kAttrReadOnly | kAttrArchive);
  offered("cfg.dat", "offered", "1.0.0", 1000, kAttrReadOnly | kAttrArchive);
  add("cfg.dat", 1, 1);
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(at("cfg.dat"), "offered");
  EXPECT_EQ(files.getAttributes(kApp + "\\cfg.dat") & kAttrReadOnly, 0u);
}

TEST_F(PlacementTest, CopyCarriesSourceTimeAndEndsWritable) {
  offered("ro.txt", "offered", nullptr, 777, kAttrReadOnly | kAttrHidden);
  add("ro.txt");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  FileInfo info;
  ASSERT_TRUE(files.findFile(kApp + "\\ro.txt", &info));
  EXPECT_EQ(info.lastWriteTime, 777u);
  EXPECT_EQ(info.attributes, static_cast<std::uint32_t>(kAttrHidden));
}

TEST_F(PlacementTest, RemoveEntriesAreNotCopied) {
  offered("gone.txt", "offered", nullptr);
  add("gone.txt", 0, 0, 1);
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_FALSE(files.exists(kApp + "\\gone.txt"));
}

TEST_F(PlacementTest, FailedCopyStopsWithCursorOnTheEntry) {
  for (int i = 0; i < 10; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    offered(name, "offered " + name, nullptr);
    add(name);
  }
  files.failCopyFrom(kMedia + "\\f3.txt");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(at("f" + std::to_string(i) + ".txt"), "offered f" + std::to_string(i) + ".txt");
  }
  EXPECT_FALSE(files.exists(kApp + "\\f3.txt"));
  EXPECT_FALSE(files.exists(kApp + "\\f4.txt"));
}

TEST_F(PlacementTest, SecondCallContinuesAtTheFailedEntry) {
  offered("a.txt", "A", nullptr);
  offered("b.txt", "B", nullptr);
  add("a.txt");
  add("b.txt");
  files.lock(kApp + "\\b.txt");
  installed("b.txt", "installed", nullptr, 1);
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 1);
  files.unlock(kApp + "\\b.txt");
  files.operations.clear();
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(at("b.txt"), "B");
  for (const std::string& op : files.operations) {
    EXPECT_EQ(op.find("a.txt"), std::string::npos) << op;  // a.txt is not handled again
  }
}

// --- The mended fault: a failed copy leaves the installed file as it was ---

TEST_F(PlacementTest, CopyBreakingOffPartwayLeavesInstalledFileIntact) {
  installed("big.dll", "installed contents", "1.0.0", 1000);
  offered("big.dll", "offered contents that break off", "2.0.0", 2000);
  files.failCopyPartway(kMedia + "\\big.dll", 7);
  add("big.dll");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 0);
  EXPECT_EQ(at("big.dll"), "installed contents");
  std::string version;
  ASSERT_TRUE(files.fileVersionText(kApp + "\\big.dll", &version));
  EXPECT_EQ(version, "1.0.0");
  EXPECT_EQ(files.pathsBelow(kApp), std::vector<std::string>{kApp + "\\big.dll"});
}

TEST_F(PlacementTest, PartialCopyOfReadOnlySourceLeavesNoTemporary) {
  offered("ro.dll", "offered", nullptr, 2000, kAttrReadOnly);
  files.failCopyPartway(kMedia + "\\ro.dll", 3);
  add("ro.dll");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_TRUE(files.pathsBelow(kApp).empty());
}

TEST_F(PlacementTest, VanishedSourceLeavesInstalledFileIntact) {
  installed("a.txt", "installed", nullptr, 1);
  add("a.txt");  // the media holds no a.txt
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_EQ(at("a.txt"), "installed");
  EXPECT_EQ(files.pathsBelow(kApp).size(), 1u);
}

TEST_F(PlacementTest, LockedTargetFailsAndStaysUnchanged) {
  installed("held.dll", "installed", nullptr, 1);
  offered("held.dll", "offered", nullptr, 2);
  files.lock(kApp + "\\held.dll");
  add("held.dll");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 0);
  files.unlock(kApp + "\\held.dll");
  EXPECT_EQ(at("held.dll"), "installed");
  EXPECT_EQ(files.pathsBelow(kApp).size(), 1u);
}

TEST_F(PlacementTest, TargetHeldOpenWithWriteSharingIsOverwrittenInPlace) {
  // Another program keeps the installed file open but lets others write it:
  // the file cannot be replaced by rename, yet a plain copy onto it works, so
  // the update must not fail on it.
  installed("shared.dat", "installed", nullptr, 1);
  offered("shared.dat", "offered", nullptr, 2, kAttrReadOnly | kAttrArchive);
  files.holdOpenSharingWrite(kApp + "\\shared.dat");
  add("shared.dat");
  add("next.txt");
  offered("next.txt", "next", nullptr);
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(job->fileCursor, 2);
  EXPECT_EQ(at("shared.dat"), "offered");
  EXPECT_EQ(files.getAttributes(kApp + "\\shared.dat") & kAttrReadOnly, 0u);
  EXPECT_EQ(at("next.txt"), "next");
  EXPECT_EQ(files.pathsBelow(kApp).size(), 2u);  // the temporary is gone
}

TEST_F(PlacementTest, TemporaryNeverOverwritesAnExistingFile) {
  installed("a.txt", "installed", nullptr, 1);
  installed("a.txt~qt0", "someone else's", nullptr, 1);
  offered("a.txt", "offered", nullptr, 2);
  add("a.txt");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(at("a.txt"), "offered");
  EXPECT_EQ(at("a.txt~qt0"), "someone else's");
  EXPECT_FALSE(files.exists(kApp + "\\a.txt~qt1"));
}

TEST_F(PlacementTest, TemporaryNameTakenDuringTheCopyIsLeftToItsOwner) {
  installed("a.txt", "installed", nullptr, 1);
  offered("a.txt", "offered", nullptr, 2);
  files.claimBeforeCopy(kApp + "\\a.txt~qt0", "someone else's");
  add("a.txt");
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(at("a.txt"), "offered");
  EXPECT_EQ(at("a.txt~qt0"), "someone else's");
  EXPECT_EQ(files.pathsBelow(kApp).size(), 2u);  // our own temporary (~qt1) is gone
}

TEST_F(PlacementTest, TemporaryNameIsAppendedOrShortenedWithinThePathLimit) {
  EXPECT_EQ(temporaryCopyName("C:\\a\\b.dll", 0, cp), "C:\\a\\b.dll~qt0");
  EXPECT_EQ(temporaryCopyName("C:\\a\\" + kHyou, 12, cp), "C:\\a\\" + kHyou + "~qt12");
  // A name that would pass 259 bytes: the folder keeps, the name is replaced.
  const std::string folder = "C:\\" + std::string(200, 'd') + "\\" + kHyou + "x";
  const std::string longTarget = folder + "\\" + std::string(49, 'n');
  ASSERT_EQ(longTarget.size(), 257u);
  EXPECT_EQ(temporaryCopyName(longTarget, 3, cp), folder + "\\~qt3");
}

TEST_F(PlacementTest, TargetAtThePathLimitWithAShortNameIsStillPlaced) {
  // No temporary name beside it fits 259 bytes: the target is then copied
  // onto directly, as it always was, instead of failing the update.
  const std::string folder = "C:\\" + std::string(254, 'd');
  const std::string target = folder + "\\a";
  ASSERT_EQ(target.size(), 259u);
  ASSERT_GT(temporaryCopyName(target, 0, cp).size(), 259u);
  files.addFolder(folder);
  files.addFile(target, "installed", 1);
  offered("a", "offered", nullptr, 2);
  FileEntry& entry = job->fileEntries[job->fileEntryCount++];
  entry.sourcePath = kMedia + "\\a";
  entry.targetPath = target;
  EXPECT_EQ(placeFiles(*job, files, cp), kPlacementComplete);
  EXPECT_EQ(files.contents(target), "offered");
  EXPECT_EQ(files.pathsBelow(folder), std::vector<std::string>{target});
}

// --- targetExists, clearReadOnly ---

TEST_F(PlacementTest, ClearReadOnlyKeepsOtherBits) {
  installed("a.txt", "x", nullptr, 1, kAttrReadOnly | kAttrHidden | kAttrSystem);
  EXPECT_EQ(clearReadOnly(kApp + "\\a.txt", files), 1);
  EXPECT_EQ(files.getAttributes(kApp + "\\a.txt"),
            static_cast<std::uint32_t>(kAttrHidden | kAttrSystem));
  EXPECT_EQ(clearReadOnly(kApp + "\\missing.txt", files), 0);
}

TEST_F(PlacementTest, TargetExistsThroughTheSearch) {
  installed("a.txt", "x", nullptr);
  EXPECT_EQ(targetExists(kApp + "\\a.txt", files), 1);
  EXPECT_EQ(targetExists(kApp + "\\A.TXT", files), 1);
  EXPECT_EQ(targetExists(kApp + "\\b.txt", files), 0);
}

// --- createWorkFolders ---

TEST_F(PlacementTest, WorkFoldersCreateOnlyTheLastComponent) {
  job->workFolders[0] = kApp + "\\new";
  job->workFolders[1] = kApp + "\\missing\\deeper";
  job->workFolders[2] = kApp + "\\new";  // exists by now: ignored
  job->workFolderCount = 3;
  createWorkFolders(*job, files);
  EXPECT_TRUE(files.isFolder(kApp + "\\new"));
  EXPECT_FALSE(files.exists(kApp + "\\missing"));
}

// --- deleteTree and removeTargets ---

TEST_F(PlacementTest, RemovingAFolderDeletesTheWholeTree) {
  files.addFolder(kApp + "\\old", kAttrDirectory | kAttrReadOnly);
  files.addFile(kApp + "\\old\\ro.txt", "x", 1, kAttrReadOnly);
  files.addFile(kApp + "\\old\\hidden.txt", "x", 1, kAttrHidden | kAttrSystem);
  files.addFolder(kApp + "\\old\\sub", kAttrDirectory | kAttrHidden);
  files.addFile(kApp + "\\old\\sub\\deep.txt", "x", 1, kAttrReadOnly | kAttrSystem);
  installed("other.txt", "stays", nullptr);
  add("old", 0, 0, 1);
  removeTargets(*job, files, cp);
  EXPECT_FALSE(files.exists(kApp + "\\old"));
  EXPECT_EQ(files.pathsBelow(kApp), std::vector<std::string>{kApp + "\\other.txt"});
  // Every file and folder is set to archive only right before it goes, and a
  // folder goes after its contents.
  const std::vector<std::string>& ops = files.operations;
  int removals = 0;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    for (const char* verb : {"delete ", "rmdir "}) {
      if (ops[i].rfind(verb, 0) != 0) continue;
      ++removals;
      ASSERT_GT(i, 0u);
      EXPECT_EQ(ops[i - 1], "attrib " + ops[i].substr(std::string(verb).size()) + " 0x20");
    }
  }
  EXPECT_EQ(removals, 5);  // three files, the folders sub and old
  auto position = [&](const std::string& op) {
    return std::find(ops.begin(), ops.end(), op) - ops.begin();
  };
  EXPECT_LT(position("delete " + kApp + "\\old\\sub\\deep.txt"),
            position("rmdir " + kApp + "\\old\\sub"));
  EXPECT_LT(position("rmdir " + kApp + "\\old\\sub"), position("rmdir " + kApp + "\\old"));
}

TEST_F(PlacementTest, RemovingWithWildcardDeletesOnlyMatches) {
  installed("a.tmp", "x", nullptr, 1, kAttrReadOnly);
  installed("B.TMP", "x", nullptr);
  installed("a.tmpx", "x", nullptr);
  installed("keep.txt", "x", nullptr);
  files.addFolder(kApp + "\\dir.tmp");
  files.addFile(kApp + "\\dir.tmp\\inner.txt", "x");
  files.addFolder(kApp + "\\sub");
  files.addFile(kApp + "\\sub\\c.tmp", "x");  // not in the pattern's folder
  add("*.tmp", 0, 0, 1);
  removeTargets(*job, files, cp);
  EXPECT_EQ(files.pathsBelow(kApp),
            (std::vector<std::string>{kApp + "\\a.tmpx", kApp + "\\keep.txt", kApp + "\\sub",
                                      kApp + "\\sub\\c.tmp"}));
}

TEST_F(PlacementTest, DeleteTreeSkipsDotEntriesAndReportsSearchFailures) {
  files.addFolder(kApp + "\\d");
  files.addFile(kApp + "\\d\\x", "x");
  EXPECT_EQ(deleteTree(kApp + "\\d\\*.*", files, cp), 1);
  EXPECT_TRUE(files.isFolder(kApp + "\\d"));  // "." did not remove the folder itself
  EXPECT_TRUE(files.pathsBelow(kApp + "\\d").empty());
  for (const std::string& op : files.operations) {
    EXPECT_EQ(op.find("\\.."), std::string::npos) << op;
    EXPECT_NE(op, "rmdir " + kApp + "\\d\\.");
  }
  EXPECT_EQ(deleteTree(kApp + "\\nothing*", files, cp), 1);
  files.failSearch(kApp + "\\denied\\*", 13);
  EXPECT_EQ(deleteTree(kApp + "\\denied\\*", files, cp), 0);
}

TEST_F(PlacementTest, DeleteTreeFolderPartIsMultiByteAware) {
  // The folder 表 ends in byte 0x5C; the pattern's folder part must keep it.
  const std::string folder = kApp + "\\" + kHyou;
  files.addFolder(folder);
  files.addFile(folder + "\\a.tmp", "x");
  files.addFile(folder + "\\b.txt", "x");
  EXPECT_EQ(deleteTree(folder + "\\*.tmp", files, cp), 1);
  EXPECT_EQ(files.pathsBelow(folder), std::vector<std::string>{folder + "\\b.txt"});
  // A name that ends in the two-byte character: no backslash is split off it.
  files.addFile(kApp + "\\x" + kHyou, "x");
  EXPECT_EQ(deleteTree(kApp + "\\x" + kHyou, files, cp), 1);
  EXPECT_FALSE(files.exists(kApp + "\\x" + kHyou));
}

}  // namespace
}  // namespace quillet
