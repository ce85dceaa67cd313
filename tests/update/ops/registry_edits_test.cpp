// The script's registry edits over the in-memory registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/fake_registry.h"
#include "tests/update/ops/recording_registry.h"
#include "update/ops/registry_edits.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

const std::string kConfig = "SOFTWARE\\norvane\\Plexor\\Configuration";

std::string dword(std::uint32_t value) {
  return std::string{static_cast<char>(value), static_cast<char>(value >> 8),
                     static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
}

class RegistryEditsTest : public ::testing::Test {
 protected:
  void add(int operation, const std::string& key, const std::string& name = "",
           const std::string& data = "") {
    RegistryEntry& entry = job->registryEntries[job->registryEntryCount++];
    entry.operation = operation;
    entry.keyPath = key;
    entry.valueName = name;
    entry.valueData = data;
  }
  std::string raw(const std::string& key, const std::string& name, std::uint32_t* type) {
    std::string bytes;
    EXPECT_TRUE(registry.rawValue(key, name, type, &bytes)) << key << " " << name;
    return bytes;
  }

  FakeRegistry registry;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

TEST(RuntimeAtol, BehavesLikeTheRunTime) {
  EXPECT_EQ(runtimeAtol("12abc"), 12);
  EXPECT_EQ(runtimeAtol("abc"), 0);
  EXPECT_EQ(runtimeAtol("-1"), -1);
  EXPECT_EQ(runtimeAtol("  \t+42"), 42);
  EXPECT_EQ(runtimeAtol(""), 0);
  EXPECT_EQ(runtimeAtol("- 5"), 0);
  EXPECT_EQ(runtimeAtol("4294967295"), -1);  // 32-bit wrap
}

TEST_F(RegistryEditsTest, DwordDataIsConvertedLikeAtol) {
  add(kRegSetDword, kConfig, "A", "12abc");
  add(kRegSetDword, kConfig, "B", "abc");
  add(kRegSetDword, kConfig, "C", "-1");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  std::uint32_t type = 0;
  EXPECT_EQ(raw(kConfig, "A", &type), dword(12));
  EXPECT_EQ(type, static_cast<std::uint32_t>(kRegDword));
  EXPECT_EQ(raw(kConfig, "B", &type), dword(0));
  EXPECT_EQ(raw(kConfig, "C", &type), dword(0xFFFFFFFFu));
}

TEST_F(RegistryEditsTest, StringOnMissingKeyCreatesItWithNulCounted) {
  add(kRegSetString, kConfig + "\\Deep", "Name", "text");
  add(kRegSetString, kConfig + "\\Deep", "Empty", "");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  std::uint32_t type = 0;
  EXPECT_EQ(raw(kConfig + "\\Deep", "Name", &type), std::string("text\0", 5));
  EXPECT_EQ(type, static_cast<std::uint32_t>(kRegSz));
  EXPECT_EQ(raw(kConfig + "\\Deep", "Empty", &type), std::string(1, '\0'));
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, AddKeyOnExistingKeyChangesNothing) {
  registry.setString(kConfig, "Keep", "v");
  EXPECT_EQ(createKey(registry, kConfig), 1);
  EXPECT_EQ(registry.stringValue(kConfig, "Keep"), "v");
  EXPECT_EQ(createKey(registry, kConfig + "\\New"), 1);
  EXPECT_TRUE(registry.keyExists(kConfig + "\\New"));
}

TEST_F(RegistryEditsTest, FailedKeyCreationFailsKeyAndValueWrites) {
  registry.injectFailure(FakeRegistry::Op::Create, kConfig);
  EXPECT_EQ(createKey(registry, kConfig), 0);
  EXPECT_EQ(setStringValue(registry, kConfig, "A", "x"), 0);
  EXPECT_EQ(setDwordValue(registry, kConfig, "A", "1"), 0);
  EXPECT_FALSE(registry.keyExists(kConfig));
}

TEST_F(RegistryEditsTest, EachOperationAsksForItsOwnAccessRights) {
  registry.createKeyPath(kConfig + "\\Tree\\A");
  RecordingRegistry recording(registry);
  add(kRegCreateKey, kConfig);
  add(kRegSetString, kConfig, "S", "x");
  add(kRegSetDword, kConfig, "D", "1");
  add(kRegDeleteValue, kConfig, "S");
  add(kRegDeleteSubKey, kConfig, "Tree");
  EXPECT_EQ(applyRegistryEntries(*job, recording), 1);
  EXPECT_THAT(recording.keyCalls,
              ElementsAre("create " + kConfig + " 0x20006",          // KEY_WRITE
                          "create " + kConfig + " 0x2",              // KEY_SET_VALUE
                          "create " + kConfig + " 0x2",              // KEY_SET_VALUE
                          "open " + kConfig + " 0x2",                // KEY_SET_VALUE
                          "open " + kConfig + " 0xF003F",            // KEY_ALL_ACCESS
                          "open " + kConfig + "\\Tree 0xF003F",      // the whole tree
                          "open " + kConfig + "\\Tree\\A 0xF003F"));
  EXPECT_FALSE(registry.keyExists(kConfig + "\\Tree"));
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, DeleteSubKeyRemovesTheWholeTree) {
  registry.setString(kConfig + "\\Tree\\A\\A1", "v", "1");
  registry.setString(kConfig + "\\Tree\\A\\A2\\Deep", "v", "1");
  registry.setString(kConfig + "\\Tree\\B", "v", "1");
  registry.setString(kConfig + "\\Other", "v", "1");
  add(kRegDeleteSubKey, kConfig, "Tree");
  add(kRegSetString, kConfig, "After", "yes");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  EXPECT_THAT(registry.subKeyNames(kConfig), ElementsAre("Other"));
  EXPECT_EQ(registry.stringValue(kConfig, "After"), "yes");
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, DeleteMissingSubKeyFailsOnlyThatEntry) {
  registry.createKeyPath(kConfig);
  add(kRegDeleteSubKey, kConfig, "Missing");
  add(kRegSetString, kConfig, "After", "yes");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  EXPECT_EQ(registry.stringValue(kConfig, "After"), "yes");
}

TEST_F(RegistryEditsTest, BlankSubKeyNameFailsOnlyThatEntryAndKeepsTheKey) {
  const std::string product = "SOFTWARE\\norvane\\Plexor";
  registry.setString(product, "VersionNo", "3.05");
  registry.setString(kConfig, "SpoolMode", "1");
  add(kRegDeleteSubKey, product, "");
  add(kRegSetString, product, "After", "yes");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  EXPECT_EQ(registry.stringValue(product, "VersionNo"), "3.05");
  EXPECT_EQ(registry.stringValue(kConfig, "SpoolMode"), "1");
  EXPECT_EQ(registry.stringValue(product, "After"), "yes");
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, DeleteSubKeyUnderMissingParentEndsTheStep) {
  add(kRegSetString, kConfig, "Before", "yes");
  add(kRegDeleteSubKey, kConfig + "\\Missing", "Tree");
  add(kRegSetString, kConfig, "After1", "no");
  add(kRegCreateKey, kConfig + "\\AfterKey");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 0);
  EXPECT_EQ(registry.stringValue(kConfig, "Before"), "yes");
  EXPECT_FALSE(registry.valueExists(kConfig, "After1"));
  EXPECT_FALSE(registry.keyExists(kConfig + "\\AfterKey"));
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, DeleteSubKeyWithoutFullAccessToParentEndsTheStep) {
  registry.createKeyPath(kConfig + "\\Tree");
  registry.injectFailure(FakeRegistry::Op::Open, kConfig, kErrorAccessDenied);
  add(kRegDeleteSubKey, kConfig, "Tree");
  add(kRegSetString, kConfig, "After", "no");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 0);
  EXPECT_TRUE(registry.keyExists(kConfig + "\\Tree"));
  registry.clearFailures();
  EXPECT_FALSE(registry.valueExists(kConfig, "After"));
}

TEST_F(RegistryEditsTest, DeleteValueMissingOrUnderMissingKeyGoesOn) {
  registry.setString(kConfig, "Gone", "x");
  add(kRegDeleteValue, kConfig, "Gone");
  add(kRegDeleteValue, kConfig, "NeverThere");
  add(kRegDeleteValue, kConfig + "\\Missing", "X");
  add(kRegSetString, kConfig, "After", "yes");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  EXPECT_FALSE(registry.valueExists(kConfig, "Gone"));
  EXPECT_EQ(registry.stringValue(kConfig, "After"), "yes");
  EXPECT_EQ(deleteValue(registry, kConfig + "\\Missing", "X"), 0);
}

TEST_F(RegistryEditsTest, UnknownOperationsArePassedOver) {
  add(4, kConfig, "X", "1");
  add(0, kConfig, "Y", "1");
  add(kRegSetString, kConfig, "After", "yes");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  EXPECT_THAT(registry.valueNames(kConfig), ElementsAre("After"));
}

TEST_F(RegistryEditsTest, DeleteKeyTreeLeavesOverlongNamesAndReportsIncomplete) {
  const std::string longName(260, 'L');  // does not fit the 260-byte buffer with its NUL
  registry.createKeyPath(kConfig + "\\Tree\\" + longName);
  registry.createKeyPath(kConfig + "\\Tree\\Short");
  RegKey parent = 0;
  ASSERT_EQ(registry.openKey(kLocalMachine, kConfig, kKeyAllAccess, &parent), kErrorSuccess);
  EXPECT_EQ(deleteKeyTree(registry, parent, "Tree"), 0);
  registry.closeKey(parent);
  EXPECT_THAT(registry.subKeyNames(kConfig + "\\Tree"), ElementsAre(longName));
}

TEST_F(RegistryEditsTest, DeleteKeyTreeStopsOnEnumerationError) {
  registry.createKeyPath(kConfig + "\\Tree\\A");
  registry.createKeyPath(kConfig + "\\Tree\\B");
  registry.injectFailure(FakeRegistry::Op::EnumKey, kConfig + "\\Tree", kErrorAccessDenied, 1);
  RegKey parent = 0;
  ASSERT_EQ(registry.openKey(kLocalMachine, kConfig, kKeyAllAccess, &parent), kErrorSuccess);
  EXPECT_EQ(deleteKeyTree(registry, parent, "Tree"), 0);
  registry.closeKey(parent);
  // The loop stopped at the first (highest) index: both subkeys remain.
  EXPECT_THAT(registry.subKeyNames(kConfig + "\\Tree"), ElementsAre("A", "B"));
}

TEST_F(RegistryEditsTest, DeleteKeyTreeIsCompleteOnlyWhenEnumerationEndsWithNoMoreItems) {
  // Both keys announce one subkey more than they hold; the enumeration of
  // Ended answers "no more items" (complete), that of Failed another error.
  registry.createKeyPath(kConfig + "\\Ended");
  registry.createKeyPath(kConfig + "\\Failed");
  RecordingRegistry recording(registry);
  recording.extraSubKeys[kConfig + "\\Ended"] = 1;
  recording.extraSubKeys[kConfig + "\\Failed"] = 1;
  registry.injectFailure(FakeRegistry::Op::EnumKey, kConfig + "\\Failed", kErrorAccessDenied, 1);
  RegKey parent = 0;
  ASSERT_EQ(recording.openKey(kLocalMachine, kConfig, kKeyAllAccess, &parent), kErrorSuccess);
  EXPECT_EQ(deleteKeyTree(recording, parent, "Ended"), 1);
  EXPECT_EQ(deleteKeyTree(recording, parent, "Failed"), 0);
  recording.closeKey(parent);
  // The key itself is deleted in both cases; only the result differs.
  EXPECT_TRUE(registry.subKeyNames(kConfig).empty());
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RegistryEditsTest, DeleteKeyTreeOfMissingOrUnreadableKeyFails) {
  registry.createKeyPath(kConfig + "\\Tree\\A");
  RegKey parent = 0;
  ASSERT_EQ(registry.openKey(kLocalMachine, kConfig, kKeyAllAccess, &parent), kErrorSuccess);
  EXPECT_EQ(deleteKeyTree(registry, parent, "Missing"), 0);
  registry.injectFailure(FakeRegistry::Op::Open, kConfig + "\\Tree", kErrorAccessDenied, 1);
  EXPECT_EQ(deleteKeyTree(registry, parent, "Tree"), 0);
  EXPECT_THAT(registry.subKeyNames(kConfig + "\\Tree"), ElementsAre("A"));
  EXPECT_EQ(deleteKeyTree(registry, parent, "Tree"), 1);
  registry.closeKey(parent);
  EXPECT_TRUE(registry.subKeyNames(kConfig).empty());
  EXPECT_EQ(registry.openHandleCount(), 0);
}

}  // namespace
}  // namespace quillet
