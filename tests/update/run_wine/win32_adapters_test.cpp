// The Win32 adapters of the registry, system, services and code-page ports
// against the real platform (Wine, in the suite's own prefix).
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "update/run/preconditions.h"
#include "update/ports/update_ports.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_registry.h"
#include "update/win32/win32_services.h"
#include "update/win32/win32_system.h"

namespace quillet {
namespace {

const char kTestRoot[] = "SOFTWARE\\QuilletAdapterTest";

class RegistryAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot);
    ASSERT_EQ(registry.createKey(kLocalMachine, kTestRoot, kKeyAllAccess, &root), kErrorSuccess);
  }
  void TearDown() override {
    registry.closeKey(root);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot);
  }
  long setText(RegKey key, const std::string& name, const std::string& text) {
    return registry.setValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                             static_cast<std::uint32_t>(text.size() + 1));
  }

  Win32Registry registry;
  RegKey root = 0;
};

TEST_F(RegistryAdapter, ValuesRoundTripWithTheirStoredSize) {
  ASSERT_EQ(setText(root, "Name", "abc"), kErrorSuccess);
  const std::uint32_t number = 0x12345678;
  ASSERT_EQ(registry.setValue(root, "Number", kRegDword,
                              reinterpret_cast<const std::uint8_t*>(&number), 4),
            kErrorSuccess);
  std::uint8_t data[16] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  ASSERT_EQ(registry.queryValue(root, "Name", &type, data, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "abc");
  size = sizeof data;
  ASSERT_EQ(registry.queryValue(root, "Number", &type, data, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  std::uint32_t read = 0;
  std::memcpy(&read, data, 4);
  EXPECT_EQ(read, number);
}

TEST_F(RegistryAdapter, TooSmallBufferReportsMoreDataAndTheNeededSize) {
  ASSERT_EQ(setText(root, "Long", "0123456789"), kErrorSuccess);
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry.queryValue(root, "Long", nullptr, data, &size), kErrorMoreData);
  EXPECT_EQ(size, 11u);
}

TEST_F(RegistryAdapter, DefaultValueIsTheEmptyName) {
  ASSERT_EQ(setText(root, "", "WZ"), kErrorSuccess);
  char data[8] = {};
  std::uint32_t size = sizeof data;
  ASSERT_EQ(registry.queryValue(root, "", nullptr, reinterpret_cast<std::uint8_t*>(data), &size),
            kErrorSuccess);
  EXPECT_STREQ(data, "WZ");
  char check[8] = {};
  LONG checkSize = sizeof check;
  ASSERT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, kTestRoot, check, &checkSize), ERROR_SUCCESS);
  EXPECT_STREQ(check, "WZ");
}

TEST_F(RegistryAdapter, MissingKeysAndValuesReportFileNotFound) {
  RegKey key = 0;
  EXPECT_EQ(registry.openKey(root, "Absent", kKeyRead, &key), kErrorFileNotFound);
  std::uint8_t data[4];
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry.queryValue(root, "Absent", nullptr, data, &size), kErrorFileNotFound);
  EXPECT_EQ(registry.deleteValue(root, "Absent"), kErrorFileNotFound);
}

TEST_F(RegistryAdapter, SubKeysEnumerateCountAndDelete) {
  RegKey child = 0;
  ASSERT_EQ(registry.createKey(root, "Alpha", kKeyAllAccess, &child), kErrorSuccess);
  registry.closeKey(child);
  ASSERT_EQ(registry.createKey(root, "Beta\\Inner", kKeyAllAccess, &child), kErrorSuccess);
  registry.closeKey(child);
  std::uint32_t count = 0;
  ASSERT_EQ(registry.querySubKeyCount(root, &count), kErrorSuccess);
  EXPECT_EQ(count, 2u);

  char name[16];
  std::uint32_t nameSize = sizeof name;
  ASSERT_EQ(registry.enumKey(root, 0, name, &nameSize), kErrorSuccess);
  EXPECT_EQ(nameSize, 5u);
  EXPECT_STREQ(name, "Alpha");
  char small[3];
  nameSize = sizeof small;
  EXPECT_EQ(registry.enumKey(root, 1, small, &nameSize), kErrorMoreData);
  nameSize = sizeof name;
  EXPECT_EQ(registry.enumKey(root, 2, name, &nameSize), kErrorNoMoreItems);

  EXPECT_NE(registry.deleteKey(root, "Beta"), kErrorSuccess) << "a key with subkeys stays";
  EXPECT_EQ(registry.deleteKey(root, "Beta\\Inner"), kErrorSuccess);
  EXPECT_EQ(registry.deleteKey(root, "Beta"), kErrorSuccess);
  ASSERT_EQ(registry.querySubKeyCount(root, &count), kErrorSuccess);
  EXPECT_EQ(count, 1u);
}

TEST_F(RegistryAdapter, ValuesEnumerateWithNamesAndData) {
  ASSERT_EQ(setText(root, "FILE0", "C:\\a.dll"), kErrorSuccess);
  char name[16];
  std::uint32_t nameSize = sizeof name;
  std::uint8_t data[32];
  std::uint32_t dataSize = sizeof data;
  std::uint32_t type = 0;
  ASSERT_EQ(registry.enumValue(root, 0, name, &nameSize, &type, data, &dataSize), kErrorSuccess);
  EXPECT_STREQ(name, "FILE0");
  EXPECT_EQ(nameSize, 5u);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(dataSize, 9u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "C:\\a.dll");
  nameSize = sizeof name;
  dataSize = sizeof data;
  EXPECT_EQ(registry.enumValue(root, 1, name, &nameSize, &type, data, &dataSize),
            kErrorNoMoreItems);
}

TEST_F(RegistryAdapter, ExactValuesKeepTextTheCodePageLacks) {
  // UTF-16LE of "Owner—" and of "Zoë €".
  const std::string name("O\0w\0n\0e\0r\0\x14\x20", 12);
  const std::string text("Z\0o\0\xeb\0 \0\xac\x20\0\0", 12);
  ASSERT_EQ(registry.setExactValue(root, name, kRegSz, text), kErrorSuccess);
  wchar_t held[8] = {};
  DWORD heldSize = sizeof held;
  ASSERT_EQ(RegQueryValueExW(reinterpret_cast<HKEY>(root),
                             L"Owner\x2014", nullptr, nullptr, reinterpret_cast<BYTE*>(held),
                             &heldSize),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(held), L"Zo\xeb \x20ac");
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(registry.queryExactValue(root, name, &type, &data), kErrorSuccess);
  EXPECT_EQ(data, text);
  std::string enumerated;
  ASSERT_EQ(registry.enumExactValue(root, 0, &enumerated, &type, &data), kErrorSuccess);
  EXPECT_EQ(enumerated, name);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, text);
  EXPECT_EQ(registry.enumExactValue(root, 1, &enumerated, &type, &data), kErrorNoMoreItems);
}

TEST(SystemAdapter, ModuleFileNameOfTheRunningProgram) {
  Win32System system;
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, MAX_PATH);
  const char* slash = std::strrchr(own, '\\');
  ASSERT_NE(slash, nullptr);
  std::string path;
  ASSERT_TRUE(system.moduleFileName(slash + 1, &path));
  EXPECT_EQ(path, own);
  EXPECT_FALSE(system.moduleFileName("Quillet.exe", &path));
}

TEST(SystemAdapter, SystemDirectoryAndEnvironment) {
  Win32System system;
  std::string folder;
  ASSERT_TRUE(system.systemDirectory(&folder));
  EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(folder.back(), '\\');

  std::string value;
  ASSERT_TRUE(system.environmentVariable("WINDIR", &value));
  EXPECT_FALSE(value.empty());
  SetEnvironmentVariableA("QUILLET_TEST_LONG", std::string(1000, 'v').c_str());
  ASSERT_TRUE(system.environmentVariable("QUILLET_TEST_LONG", &value));
  EXPECT_EQ(value, std::string(1000, 'v'));
  SetEnvironmentVariableA("QUILLET_TEST_LONG", nullptr);
  EXPECT_FALSE(system.environmentVariable("QUILLET_TEST_LONG", &value));
}

TEST(SystemAdapter, OperatingSystemMajorVersionIsTheReportedOne) {
  Win32System system;
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExA(&info));
#pragma GCC diagnostic pop
  EXPECT_EQ(system.osMajorVersion(), static_cast<int>(info.dwMajorVersion));
  EXPECT_GE(system.osMajorVersion(), 4);
}

TEST(SystemAdapter, NamedSemaphoreGuardsOneHolderAtATime) {
  Win32System system;
  long first = -1;
  auto held = system.createSemaphore("QuilletAdapterTestGuard", &first);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(first, kErrorSuccess);
  long second = -1;
  auto again = system.createSemaphore("QuilletAdapterTestGuard", &second);
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(second, kErrorAlreadyExists);
  again.reset();
  held.reset();
  long third = -1;
  auto fresh = system.createSemaphore("QuilletAdapterTestGuard", &third);
  EXPECT_NE(fresh, nullptr);
  EXPECT_EQ(third, kErrorSuccess) << "closing every handle frees the name";
}

TEST(SystemAdapter, FreshSemaphoreIsNotMistakenForAnExistingOneByAStaleError) {
  Win32System system;
  SetLastError(ERROR_ALREADY_EXISTS);  // left over from an earlier call
  long lastError = -1;
  auto held = system.createSemaphore("QuilletAdapterTestFresh", &lastError);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(lastError, kErrorSuccess);
}

TEST(ServicesAdapter, ManagerOpensWithFullAccessAndCloses) {
  Win32Services services;
  auto manager = services.openManager();
  ASSERT_NE(manager, nullptr);
  auto* win32 = dynamic_cast<Win32ServiceManager*>(manager.get());
  ASSERT_NE(win32, nullptr);
  EXPECT_NE(win32->handle(), nullptr);
}

TEST(CodePageAdapter, ShiftJisLeadBytesAndConversion) {
  if (GetACP() != 932) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  Win32CodePage codePage;
  EXPECT_TRUE(codePage.isLeadByte(0x82));
  EXPECT_TRUE(codePage.isLeadByte(0x95));
  EXPECT_TRUE(codePage.isLeadByte(0xE0));
  EXPECT_FALSE(codePage.isLeadByte('A'));
  EXPECT_FALSE(codePage.isLeadByte(0x5C));
  EXPECT_FALSE(codePage.isLeadByte(0xA0));  // half-width katakana are single bytes
  std::string utf8;
  ASSERT_TRUE(codePage.toUtf8("\x83\x76\x83\x8C\x83\x4E\x83\x58 \x95\x5C", &utf8));
  EXPECT_EQ(utf8, "プレクス 表");
  ASSERT_TRUE(codePage.toUtf8("", &utf8));
  EXPECT_EQ(utf8, "");
  EXPECT_FALSE(codePage.toUtf8("a\x82", &utf8)) << "a lead byte without trail byte";
}

TEST(CodePageAdapter, Utf8ToWideReplacesInvalidBytes) {
  EXPECT_EQ(utf8ToWide("アップデート"), L"アップデート");
  const std::wstring broken = utf8ToWide("a\xFF" "b");
  EXPECT_EQ(broken.front(), L'a');
  EXPECT_EQ(broken.back(), L'b');
  EXPECT_EQ(wideToUtf8(L"中止"), "中止");
}

}  // namespace
}  // namespace quillet
