// Patch records and uninstall records over the in-memory registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/fake_registry.h"
#include "tests/update/ops/recording_registry.h"
#include "update/ops/patch_records.h"
#include "update/ops/uninstall_records.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class PatchRecordsTest : public ::testing::Test {
 protected:
  void patchKeys(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      registry.setRaw(std::string(kPatchKeyPath) + "\\" + name, "Title", kRegSz, "t");
    }
  }
  void deleteEntry(int mode, const std::string& id) {
    job->patchDeleteEntries[job->patchDeleteEntryCount++] = PatchDeleteEntry{id, mode};
  }
  FakeRegistry registry;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

TEST_F(PatchRecordsTest, WritesTitleDateTimeWithoutNul) {
  job->patchInfoEntries[0] = PatchInfoEntry{"105", "修正", "2001/02/03", "4:05:06"};
  job->patchInfoEntryCount = 1;
  EXPECT_EQ(writePatchRecords(*job, registry), 1);
  const std::string key = std::string(kPatchKeyPath) + "\\105";
  EXPECT_THAT(registry.valueNames(key), ElementsAre("Title", "Date", "Time"));
  std::uint32_t type = 0;
  std::string bytes;
  ASSERT_TRUE(registry.rawValue(key, "Title", &type, &bytes));
  EXPECT_EQ(bytes, "修正");
  EXPECT_EQ(type, static_cast<std::uint32_t>(kRegSz));
  ASSERT_TRUE(registry.rawValue(key, "Date", &type, &bytes));
  EXPECT_EQ(bytes, "2001/02/03");
  ASSERT_TRUE(registry.rawValue(key, "Time", &type, &bytes));
  EXPECT_EQ(bytes, "4:05:06");
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(PatchRecordsTest, OverwritesExistingRecordAndSkipsFailures) {
  registry.setRaw(std::string(kPatchKeyPath) + "\\1", "Title", kRegSz, "old");
  registry.setRaw(std::string(kPatchKeyPath) + "\\1", "Extra", kRegSz, "kept");
  job->patchInfoEntries[0] = PatchInfoEntry{"1", "new", "d", "t"};
  job->patchInfoEntries[1] = PatchInfoEntry{"2", "fails", "d", "t"};
  job->patchInfoEntries[2] = PatchInfoEntry{"3", "third", "d", "t"};
  job->patchInfoEntryCount = 3;
  registry.injectFailure(FakeRegistry::Op::Create, std::string(kPatchKeyPath) + "\\2");
  EXPECT_EQ(writePatchRecords(*job, registry), 1);
  EXPECT_EQ(registry.stringValue(std::string(kPatchKeyPath) + "\\1", "Title"), "new");
  EXPECT_EQ(registry.stringValue(std::string(kPatchKeyPath) + "\\1", "Extra"), "kept");
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("1", "3"));
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(PatchRecordsTest, DeleteUpToComparesLeadingNumbers) {
  patchKeys({"100", "105", "106", "abc"});
  deleteEntry(kPatchDeleteUpTo, "105");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("106"));
}

TEST_F(PatchRecordsTest, DeleteByIdComparesText) {
  patchKeys({"100", "101"});
  deleteEntry(kPatchDeleteById, "0100");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("100", "101"));
  deleteEntry(kPatchDeleteUpTo, "100");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("101"));
}

TEST_F(PatchRecordsTest, DeleteByIdIsCaseSensitive) {
  patchKeys({"KB1"});
  deleteEntry(kPatchDeleteById, "kb1");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("KB1"));
  deleteEntry(kPatchDeleteById, "KB1");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_TRUE(registry.subKeyNames(kPatchKeyPath).empty());
}

TEST_F(PatchRecordsTest, DeleteAllThenWriteLeavesOnlyTheNewRecord) {
  patchKeys({"1", "2", "3"});
  deleteEntry(kPatchDeleteAll, "");
  job->patchInfoEntries[0] = PatchInfoEntry{"2", "again", "d", "t"};
  job->patchInfoEntryCount = 1;
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_EQ(writePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("2"));
  EXPECT_EQ(registry.stringValue(std::string(kPatchKeyPath) + "\\2", "Title"), "again");
}

TEST_F(PatchRecordsTest, DeleteWithoutUpdateKeyOrOnEnumerationError) {
  deleteEntry(kPatchDeleteAll, "");
  EXPECT_EQ(deletePatchRecords(*job, registry), 0);
  patchKeys({"1", "2"});
  registry.injectFailure(FakeRegistry::Op::EnumKey, kPatchKeyPath, kErrorAccessDenied, 1);
  EXPECT_EQ(deletePatchRecords(*job, registry), 0);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("1", "2"));
  registry.injectFailure(FakeRegistry::Op::EnumKey, kPatchKeyPath, kErrorNoMoreItems, 1);
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(PatchRecordsTest, OverlongPatchKeyNamesArePassedOver) {
  const std::string longName(260, '9');
  patchKeys({"1", longName.c_str()});
  deleteEntry(kPatchDeleteAll, "");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre(longName));
}

TEST_F(PatchRecordsTest, FirstApplyingEntryDecides) {
  patchKeys({"5"});
  deleteEntry(kPatchDeleteById, "6");
  deleteEntry(kPatchDeleteUpTo, "5");
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_TRUE(registry.subKeyNames(kPatchKeyPath).empty());
}

TEST_F(PatchRecordsTest, KeysAreOpenedWithTheirAccessRights) {
  patchKeys({"1"});
  RecordingRegistry recording(registry);
  deleteEntry(kPatchDeleteAll, "");
  job->patchInfoEntries[0] = PatchInfoEntry{"2", "t", "d", "t"};
  job->patchInfoEntryCount = 1;
  EXPECT_EQ(deletePatchRecords(*job, recording), 1);
  EXPECT_EQ(writePatchRecords(*job, recording), 1);
  const std::string update = kPatchKeyPath;
  EXPECT_THAT(recording.keyCalls, ElementsAre("open " + update + " 0xF003F",      // ALL_ACCESS
                                              "create " + update + " 0x20006",    // KEY_WRITE
                                              "create " + update + "\\2 0x20006"));
  EXPECT_THAT(registry.subKeyNames(kPatchKeyPath), ElementsAre("2"));
}

class UninstallRecordsTest : public ::testing::Test {
 protected:
  std::string value(const std::string& name) {
    return registry.stringValue(kUninstallKeyPath, name);
  }
  FakeRegistry registry;
};

TEST_F(UninstallRecordsTest, SeriesStartAtZeroAndAreIndependent) {
  EXPECT_EQ(recordUninstallFile(registry, "C:\\a.dll"), 1);
  EXPECT_EQ(recordUninstallFolder(registry, "C:\\work"), 1);
  EXPECT_EQ(recordUninstallFile(registry, "C:\\b.dll"), 1);
  EXPECT_EQ(value("FILE0"), "C:\\a.dll");
  EXPECT_EQ(value("FILE1"), "C:\\b.dll");
  EXPECT_EQ(value("DIR0"), "C:\\work");
  std::uint32_t type = 0;
  std::string bytes;
  ASSERT_TRUE(registry.rawValue(kUninstallKeyPath, "FILE0", &type, &bytes));
  EXPECT_EQ(bytes, std::string("C:\\a.dll\0", 9));  // the NUL is counted
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(UninstallRecordsTest, KeysAreOpenedWithTheirAccessRights) {
  registry.setString(kUninstallKeyPath, "FILE0", "C:\\old");
  RecordingRegistry recording(registry);
  EXPECT_EQ(recordUninstallFile(recording, "C:\\new"), 1);
  const std::string key = kUninstallKeyPath;
  const std::string query = "open " + key + " 0x1";  // KEY_QUERY_VALUE
  // The search of all values, FILE0 taken, FILE1 free (one query each),
  // then the write through KEY_SET_VALUE.
  EXPECT_THAT(recording.keyCalls, ElementsAre(query, query, query, "create " + key + " 0x2"));
  EXPECT_EQ(value("FILE1"), "C:\\new");
}

TEST_F(UninstallRecordsTest, LowestFreeNumberFillsGaps) {
  registry.setString(kUninstallKeyPath, "FILE0", "x0");
  registry.setString(kUninstallKeyPath, "FILE1", "x1");
  registry.setString(kUninstallKeyPath, "FILE3", "x3");
  EXPECT_EQ(recordUninstallFile(registry, "C:\\new"), 1);
  EXPECT_EQ(value("FILE2"), "C:\\new");
}

TEST_F(UninstallRecordsTest, PathRecordedInEitherSeriesIsNotRecordedAgain) {
  registry.setString(kUninstallKeyPath, "DIR3", "C:\\shared");
  EXPECT_EQ(isPathRecorded(registry, "C:\\shared"), 1);
  EXPECT_EQ(isPathRecorded(registry, "C:\\SHARED"), 0);  // exact compare
  EXPECT_EQ(recordUninstallFile(registry, "C:\\shared"), 1);
  EXPECT_THAT(registry.valueNames(kUninstallKeyPath), ElementsAre("DIR3"));
  EXPECT_EQ(recordUninstallFolder(registry, "C:\\shared"), 1);
  EXPECT_THAT(registry.valueNames(kUninstallKeyPath), ElementsAre("DIR3"));
}

TEST_F(UninstallRecordsTest, FullSeriesOrWriteFailureReturnsZero) {
  for (int n = 0; n < 256; ++n) {
    registry.setString(kUninstallKeyPath, "FILE" + std::to_string(n), "f" + std::to_string(n));
  }
  EXPECT_EQ(recordUninstallFile(registry, "C:\\one-more"), 0);
  EXPECT_EQ(recordUninstallFolder(registry, "C:\\folder"), 1);  // the other series has room
  EXPECT_EQ(value("DIR0"), "C:\\folder");
  registry.injectFailure(FakeRegistry::Op::Set, kUninstallKeyPath);
  EXPECT_EQ(recordUninstallFolder(registry, "C:\\folder2"), 0);
}

TEST_F(UninstallRecordsTest, ValueTooLargeToReadCountsAsAbsent) {
  registry.setRaw(kUninstallKeyPath, "FILE0", kRegSz, std::string(1041, 'x'));
  EXPECT_EQ(valueExists(registry, kUninstallKeyPath, "FILE0"), 0);
  registry.setRaw(kUninstallKeyPath, "FILE1", kRegSz, std::string(1040, 'x'));
  EXPECT_EQ(valueExists(registry, kUninstallKeyPath, "FILE1"), 1);
  EXPECT_EQ(valueExists(registry, kUninstallKeyPath, "FILE9"), 0);
  EXPECT_EQ(valueExists(registry, "SOFTWARE\\Missing", "FILE0"), 0);
}

TEST_F(UninstallRecordsTest, ValueTooLargeToReadKeepsItsNumber) {
  // Overwriting it would lose another program's record.
  const std::string foreign(1041, 'x');
  registry.setRaw(kUninstallKeyPath, "FILE0", kRegSz, foreign);
  EXPECT_EQ(recordUninstallFile(registry, "C:\\new"), 1);
  std::uint32_t type = 0;
  std::string bytes;
  ASSERT_TRUE(registry.rawValue(kUninstallKeyPath, "FILE0", &type, &bytes));
  EXPECT_EQ(bytes, foreign);
  EXPECT_EQ(value("FILE1"), "C:\\new");
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(UninstallRecordsTest, SearchStopsAtFirstEnumerationError) {
  // A value whose data passes 520 bytes ends the search, as the enumeration
  // answers "more data" for it.
  registry.setRaw(kUninstallKeyPath, "FILE0", kRegSz, std::string(600, 'x'));
  registry.setString(kUninstallKeyPath, "FILE1", "C:\\later");
  EXPECT_EQ(isPathRecorded(registry, "C:\\later"), 0);
  EXPECT_EQ(isPathRecorded(registry, "C:\\nowhere"), 0);
}

TEST_F(UninstallRecordsTest, MultiByteAndLongPathsCompareExactly) {
  const std::string path = "C:\\\x95\x5C\\" + std::string(250, 'p');
  EXPECT_EQ(recordUninstallFile(registry, path), 1);
  EXPECT_EQ(isPathRecorded(registry, path), 1);
  EXPECT_EQ(isPathRecorded(registry, path.substr(0, path.size() - 1)), 0);
}

}  // namespace
}  // namespace quillet
