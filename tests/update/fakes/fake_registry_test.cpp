#include "tests/fakes/fake_registry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quillet {
namespace {

const char kPath[] = "SOFTWARE\\norvane\\Plexor";

TEST(FakeRegistryKeys, OpenMissingKeyIsFileNotFound) {
  FakeRegistry reg;
  RegKey key = 0;
  EXPECT_EQ(reg.openKey(kLocalMachine, kPath, kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(reg.openHandleCount(), 0);
}

TEST(FakeRegistryKeys, CreateMakesEveryLevelAndOpenIgnoresCase) {
  FakeRegistry reg;
  RegKey key = 0;
  ASSERT_EQ(reg.createKey(kLocalMachine, kPath, kKeyAllAccess, &key), kErrorSuccess);
  EXPECT_TRUE(reg.keyExists("SOFTWARE\\norvane"));
  EXPECT_TRUE(reg.keyExists("software\\NORVANE\\plexor"));
  RegKey again = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, "Software\\Norvane\\PLEXOR", kKeyRead, &again),
            kErrorSuccess);
  EXPECT_NE(key, again);
  EXPECT_EQ(reg.openHandleCount(), 2);
  EXPECT_EQ(reg.closeKey(key), kErrorSuccess);
  EXPECT_EQ(reg.closeKey(again), kErrorSuccess);
  EXPECT_EQ(reg.closeKey(again), kErrorInvalidHandle);
  EXPECT_EQ(reg.openHandleCount(), 0);
  // The name keeps the case it was created with.
  EXPECT_EQ(reg.subKeyNames("SOFTWARE\\norvane"), std::vector<std::string>{"Plexor"});
}

TEST(FakeRegistryKeys, CreateNeedsCreateSubKeyRightOnlyWhenCreating) {
  FakeRegistry reg;
  reg.createKeyPath(kPath);
  RegKey parent = 0, key = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, "SOFTWARE\\norvane", kKeyQueryValue, &parent),
            kErrorSuccess);
  EXPECT_EQ(reg.createKey(parent, "Plexor", kKeyRead, &key), kErrorSuccess);
  reg.closeKey(key);
  EXPECT_EQ(reg.createKey(parent, "Other", kKeyRead, &key), kErrorAccessDenied);
  EXPECT_FALSE(reg.keyExists("SOFTWARE\\norvane\\Other"));
  reg.closeKey(parent);
}

TEST(FakeRegistryKeys, TrailByteBackslashDoesNotSplitKeyNames) {
  // "表" is 0x95 0x5C in cp932: its second byte is a backslash.
  const std::string name = "A\x95\x5C" "B";
  FakeRegistry reg;
  reg.createKeyPath(std::string("SOFTWARE\\") + name);
  EXPECT_EQ(reg.subKeyNames("SOFTWARE"), std::vector<std::string>{name});
  EXPECT_FALSE(reg.keyExists("SOFTWARE\\A\x95"));
  EXPECT_EQ(splitKeyPath(std::string("X\\") + name + "\\Y"),
            (std::vector<std::string>{"X", name, "Y"}));
  // A trail byte that is a lower-case letter is not folded: "ア" 0x83 0x41
  // and 0x83 0x61 "ヂ" are different characters.
  EXPECT_FALSE(sameRegistryName("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(sameRegistryName("ab\x83\x61", "AB\x83\x61"));
}

TEST(FakeRegistryKeys, SubKeyBeginningWithABackslashIsABadPathName) {
  // A script's key path is used unchanged: "\\SOFTWARE\\X" must fail as the
  // system's registry calls fail it (ERROR_BAD_PATHNAME), not be tidied up.
  FakeRegistry reg;
  reg.createKeyPath(kPath);
  RegKey key = 0;
  EXPECT_EQ(reg.createKey(kLocalMachine, "\\SOFTWARE\\X", kKeyAllAccess, &key),
            kErrorBadPathname);
  EXPECT_FALSE(reg.keyExists("SOFTWARE\\X"));
  EXPECT_EQ(reg.openKey(kLocalMachine, std::string("\\") + kPath, kKeyRead, &key),
            kErrorBadPathname);
  EXPECT_EQ(reg.deleteKey(kLocalMachine, std::string("\\") + kPath), kErrorBadPathname);
  EXPECT_TRUE(reg.keyExists(kPath));
  EXPECT_EQ(reg.openHandleCount(), 0);
  // A trailing backslash is accepted.
  ASSERT_EQ(reg.openKey(kLocalMachine, std::string(kPath) + "\\", kKeyRead, &key),
            kErrorSuccess);
  reg.closeKey(key);
}

TEST(FakeRegistryKeys, DeleteKeyRefusesKeysWithSubkeysAndInvalidatesHandles) {
  FakeRegistry reg;
  reg.createKeyPath("A\\B\\C");
  RegKey c = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, "A\\B\\C", kKeyRead, &c), kErrorSuccess);
  EXPECT_EQ(reg.deleteKey(kLocalMachine, "A\\B"), kErrorAccessDenied);
  EXPECT_EQ(reg.deleteKey(kLocalMachine, "A\\B\\C"), kErrorSuccess);
  EXPECT_FALSE(reg.keyExists("A\\B\\C"));
  EXPECT_EQ(reg.deleteKey(kLocalMachine, "A\\B\\C"), kErrorFileNotFound);
  std::uint32_t count = 0;
  EXPECT_EQ(reg.querySubKeyCount(c, &count), kErrorKeyDeleted);
  EXPECT_EQ(reg.closeKey(c), kErrorSuccess);
}

TEST(FakeRegistryValues, QueryFollowsBufferSizeRules) {
  FakeRegistry reg;
  reg.setString(kPath, "VersionNo", "3.10");  // stored with its NUL: 5 bytes
  RegKey key = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, kPath, kKeyQueryValue, &key), kErrorSuccess);

  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(reg.queryValue(key, "versionno", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, static_cast<std::uint32_t>(kRegSz));

  std::uint8_t small[4];
  std::memset(small, 'x', sizeof small);
  size = sizeof small;
  EXPECT_EQ(reg.queryValue(key, "VersionNo", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 5u);

  std::uint8_t exact[5];
  size = sizeof exact;
  ASSERT_EQ(reg.queryValue(key, "VersionNo", &type, exact, &size), kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(exact, "3.10", 5), 0);

  size = sizeof exact;
  EXPECT_EQ(reg.queryValue(key, "Missing", &type, exact, &size), kErrorFileNotFound);
  reg.closeKey(key);
}

TEST(FakeRegistryValues, AccessRightsAreChecked) {
  FakeRegistry reg;
  reg.setString(kPath, "", "WZ");
  RegKey readOnly = 0, writeOnly = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, kPath, kKeyQueryValue, &readOnly), kErrorSuccess);
  ASSERT_EQ(reg.openKey(kLocalMachine, kPath, kKeySetValue, &writeOnly), kErrorSuccess);
  const std::uint8_t data[] = {'x', 0};
  EXPECT_EQ(reg.setValue(readOnly, "N", kRegSz, data, 2), kErrorAccessDenied);
  EXPECT_EQ(reg.setValue(writeOnly, "N", kRegSz, data, 2), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(reg.queryValue(writeOnly, "N", nullptr, nullptr, &size), kErrorAccessDenied);
  char name[8];
  std::uint32_t nameSize = sizeof name;
  EXPECT_EQ(reg.enumKey(readOnly, 0, name, &nameSize), kErrorAccessDenied);
  EXPECT_EQ(reg.deleteValue(readOnly, "N"), kErrorAccessDenied);
  EXPECT_EQ(reg.deleteValue(writeOnly, "n"), kErrorSuccess);
  EXPECT_EQ(reg.deleteValue(writeOnly, "N"), kErrorFileNotFound);
  reg.closeKey(readOnly);
  reg.closeKey(writeOnly);
}

TEST(FakeRegistryEnumeration, SubkeysInNameOrderWithExactNameSizes) {
  FakeRegistry reg;
  reg.createKeyPath("R\\beta");
  reg.createKeyPath("R\\Alpha");
  reg.createKeyPath("R\\gamma12");
  RegKey key = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, "R", kKeyRead, &key), kErrorSuccess);
  std::uint32_t count = 0;
  ASSERT_EQ(reg.querySubKeyCount(key, &count), kErrorSuccess);
  EXPECT_EQ(count, 3u);

  char name[16];
  std::uint32_t size = 6;  // "Alpha" + NUL fits exactly
  ASSERT_EQ(reg.enumKey(key, 0, name, &size), kErrorSuccess);
  EXPECT_STREQ(name, "Alpha");
  EXPECT_EQ(size, 5u);
  size = 5;  // "beta" + NUL fits exactly
  ASSERT_EQ(reg.enumKey(key, 1, name, &size), kErrorSuccess);
  EXPECT_STREQ(name, "beta");
  size = 8;  // "gamma12" needs 8 with the NUL... fits
  EXPECT_EQ(reg.enumKey(key, 2, name, &size), kErrorSuccess);
  size = 7;  // ...and 7 does not
  EXPECT_EQ(reg.enumKey(key, 2, name, &size), kErrorMoreData);
  EXPECT_EQ(size, 7u);
  size = sizeof name;
  EXPECT_EQ(reg.enumKey(key, 3, name, &size), kErrorNoMoreItems);
  reg.closeKey(key);
}

TEST(FakeRegistryEnumeration, ValuesInSetOrderWithDataSizes) {
  FakeRegistry reg;
  reg.setString("R", "Zeta", "long text");
  reg.setDword("R", "Alpha", 7);
  reg.setString("R", "zeta", "x");  // same value: keeps its place
  RegKey key = 0;
  ASSERT_EQ(reg.openKey(kLocalMachine, "R", kKeyRead, &key), kErrorSuccess);
  char name[16];
  std::uint8_t data[16];
  std::uint32_t nameSize = sizeof name, dataSize = sizeof data, type = 0;
  ASSERT_EQ(reg.enumValue(key, 0, name, &nameSize, &type, data, &dataSize), kErrorSuccess);
  EXPECT_STREQ(name, "Zeta");
  EXPECT_EQ(nameSize, 4u);
  EXPECT_EQ(dataSize, 2u);
  nameSize = sizeof name;
  dataSize = 3;
  ASSERT_EQ(reg.enumValue(key, 1, name, &nameSize, &type, data, &dataSize), kErrorMoreData);
  EXPECT_EQ(dataSize, 4u);
  nameSize = sizeof name;
  dataSize = sizeof data;
  ASSERT_EQ(reg.enumValue(key, 1, name, &nameSize, &type, data, &dataSize), kErrorSuccess);
  EXPECT_EQ(type, static_cast<std::uint32_t>(kRegDword));
  EXPECT_EQ(data[0], 7);
  nameSize = sizeof name;
  EXPECT_EQ(reg.enumValue(key, 2, name, &nameSize, &type, data, &dataSize), kErrorNoMoreItems);
  reg.closeKey(key);
}

TEST(FakeRegistryFaults, InjectedFailuresHitOnlyTheirPathAndCount) {
  FakeRegistry reg;
  reg.createKeyPath(kPath);
  reg.injectFailure(FakeRegistry::Op::Open, "software\\norvane\\plexor", kErrorAccessDenied, 1);
  reg.injectFailure(FakeRegistry::Op::Set, kPath);
  RegKey key = 0;
  EXPECT_EQ(reg.openKey(kLocalMachine, kPath, kKeyAllAccess, &key), kErrorAccessDenied);
  ASSERT_EQ(reg.openKey(kLocalMachine, kPath, kKeyAllAccess, &key), kErrorSuccess);
  const std::uint8_t data[] = {0};
  EXPECT_EQ(reg.setValue(key, "A", kRegSz, data, 1), kErrorAccessDenied);
  EXPECT_FALSE(reg.valueExists(kPath, "A"));
  RegKey other = 0;
  ASSERT_EQ(reg.createKey(key, "Sub", kKeyAllAccess, &other), kErrorSuccess);
  EXPECT_EQ(reg.setValue(other, "A", kRegSz, data, 1), kErrorSuccess);
  reg.clearFailures();
  EXPECT_EQ(reg.setValue(key, "A", kRegSz, data, 1), kErrorSuccess);
  EXPECT_EQ(reg.callCount(FakeRegistry::Op::Set), 3);
  reg.closeKey(key);
  reg.closeKey(other);
}

}  // namespace
}  // namespace quillet
