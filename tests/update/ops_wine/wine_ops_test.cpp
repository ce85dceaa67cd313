// The update operations on the real platform: the file-system and clock
// adapters, placement with real version resources, removal of trees, locked
// targets, and registry edits and records in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/update/ops_wine/wine_scratch.h"
#include "update/ops/executor.h"
#include "update/ops/file_placement.h"
#include "update/ops/patch_records.h"
#include "update/ops/registry_edits.h"
#include "update/ops/uninstall_records.h"
#include "update/win32/win32_clock.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_file_system.h"
#include "update/win32/win32_registry.h"
#include "update/win32/system_libraries.h"

namespace quillet {
namespace {

constexpr std::uint64_t kHour = 36000000000ull;  // in FILETIME ticks
constexpr std::uint64_t kSomeTime = 0x01D0000000000000ull;

std::string testDll(const std::string& tag) { return programFolder() + "\\ver_" + tag + ".dll"; }

// --- Adapters ---

TEST(Win32FileSystemAdapter, VersionTextOfRealResources) {
  Win32FileSystem files;
  std::string text;
  ASSERT_TRUE(files.fileVersionText(testDll("1_2_3"), &text));
  EXPECT_EQ(text, "1.2.3");
  ASSERT_TRUE(files.fileVersionText(testDll("1_0_0_1"), &text));
  EXPECT_EQ(text, "1.0.0.1");
  EXPECT_FALSE(files.fileVersionText(testDll("none"), &text));
  EXPECT_FALSE(files.fileVersionText(programFolder() + "\\missing.dll", &text));
}

// What Quillet.exe does first: a DLL beside the program is no longer found by
// its bare name, while the system folder's VERSION.dll still loads. The
// default search is put back for the other tests.
TEST(SystemLibraries, ProgramFolderLeftOutOfTheSearchOnceRestricted) {
  HMODULE beside = LoadLibraryW(L"ver_none.dll");
  ASSERT_NE(beside, nullptr) << "found beside the program by default";
  FreeLibrary(beside);
  restrictDllSearchToSystemFolder();
  beside = LoadLibraryW(L"ver_none.dll");
  const DWORD error = GetLastError();
  auto setDefault = reinterpret_cast<BOOL(WINAPI*)(DWORD)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  ASSERT_NE(setDefault, nullptr);
  setDefault(0x00001000);  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
  SetDllDirectoryW(nullptr);
  EXPECT_EQ(beside, nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_NE(loadSystemLibrary(L"version.dll"), nullptr);
  EXPECT_NE(versionFunctions(), nullptr);
}

TEST(Win32FileSystemAdapter, SearchReportsNoEntryAndDotEntries) {
  ScratchFolder dir("search");
  Win32FileSystem files;
  FileInfo first;
  int error = 0;
  EXPECT_EQ(files.findFiles(dir / "*.none", &first, &error), nullptr);
  EXPECT_EQ(error, 2);
  EXPECT_EQ(files.findFiles(dir / "missing\\*", &first, &error), nullptr);
  EXPECT_EQ(error, 2);

  ASSERT_TRUE(writeBytes(dir / "A.TMP", "x"));
  CreateDirectoryA((dir / "sub").c_str(), nullptr);
  auto search = files.findFiles(dir / "*", &first, &error);
  ASSERT_NE(search, nullptr);
  std::vector<std::string> names{first.name};
  FileInfo next;
  while (search->next(&next)) names.push_back(next.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.TMP", "sub"}));
  search = files.findFiles(dir / "a.tmp", &first, &error);  // letter case ignored
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(first.name, "A.TMP");
  EXPECT_EQ(first.attributes & kAttrDirectory, 0u);
}

TEST(Win32FileSystemAdapter, CopyCarriesAttributesAndTime) {
  ScratchFolder dir("copy");
  Win32FileSystem files;
  ASSERT_TRUE(writeBytes(dir / "src", "data"));
  ASSERT_TRUE(setLastWrite(dir / "src", kSomeTime));
  ASSERT_TRUE(SetFileAttributesA((dir / "src").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(files.copyFile(dir / "src", dir / "dst", true));
  EXPECT_EQ(readBytes(dir / "dst"), "data");
  EXPECT_EQ(lastWriteOf(dir / "dst"), kSomeTime);
  EXPECT_TRUE(attributesOf(dir / "dst") & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files.copyFile(dir / "src", dir / "dst", true));   // exists
  EXPECT_FALSE(files.copyFile(dir / "src", dir / "dst", false));  // read-only target
  FileInfo info;
  ASSERT_TRUE(files.findFile(dir / "dst", &info));
  EXPECT_EQ(info.lastWriteTime, kSomeTime);
  EXPECT_EQ(info.name, "dst");
}

TEST(Win32FileSystemAdapter, ReplaceMovesOverAnExistingFile) {
  ScratchFolder dir("replace");
  Win32FileSystem files;
  ASSERT_TRUE(writeBytes(dir / "new", "new"));
  ASSERT_TRUE(writeBytes(dir / "old", "old"));
  ASSERT_TRUE(files.replaceFile(dir / "new", dir / "old"));
  EXPECT_EQ(readBytes(dir / "old"), "new");
  EXPECT_FALSE(fileExists(dir / "new"));
}

TEST(Win32FileSystemAdapter, ReadWriteAndFolders) {
  ScratchFolder dir("rw");
  Win32FileSystem files;
  ASSERT_TRUE(files.writeFile(dir / "f", std::string("a\0b", 3)));
  std::string bytes;
  ASSERT_TRUE(files.readFile(dir / "f", &bytes));
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  EXPECT_TRUE(files.createDirectory(dir / "d"));
  EXPECT_FALSE(files.createDirectory(dir / "x\\y"));  // last component only
  EXPECT_TRUE(files.removeDirectory(dir / "d"));
  EXPECT_TRUE(files.deleteFile(dir / "f"));
  EXPECT_EQ(files.getAttributes(dir / "f"), kInvalidAttributes);
}

// A script or picture that an editor still holds open for writing reads as
// it would with the run-time library's fopen.
TEST(Win32FileSystemAdapter, ReadsAFileAnotherProgramHoldsOpenForWriting) {
  ScratchFolder dir("shared");
  Win32FileSystem files;
  ASSERT_TRUE(files.writeFile(dir / "quillet.txt", "Admin:0\n"));
  HANDLE writer = CreateFileA((dir / "quillet.txt").c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  std::string bytes;
  EXPECT_TRUE(files.readFile(dir / "quillet.txt", &bytes));
  EXPECT_EQ(bytes, "Admin:0\n");
  CloseHandle(writer);
}

// Media files are read in pieces, whatever their size; only "not found"
// makes a file absent. The stage's folder is made only where nothing is.
TEST(Win32FileSystemAdapter, ReadsInPiecesAndMakesPrivateFoldersAfresh) {
  ScratchFolder dir("pieces");
  Win32FileSystem files;
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  ASSERT_TRUE(files.writeFile(dir / "big", big));
  long error = 0;
  std::unique_ptr<FileReading> file = files.openToRead(dir / "big", &error);
  ASSERT_TRUE(file);
  std::string read;
  std::vector<char> buffer(65536);
  std::size_t got = 0;
  int pieces = 0;
  while (file->read(buffer.data(), buffer.size(), &got) && got != 0) {
    read.append(buffer.data(), got);
    ++pieces;
  }
  EXPECT_EQ(read, big);
  EXPECT_EQ(pieces, 4);
  EXPECT_FALSE(files.openToRead(dir / "none", &error));
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_FALSE(files.openToRead(dir / "no\\none", &error));
  EXPECT_EQ(error, kErrorPathNotFound);
  EXPECT_TRUE(files.createPrivateDirectory(dir / "stage"));
  EXPECT_FALSE(files.createPrivateDirectory(dir / "stage")) << "never a folder that is there";
  EXPECT_EQ(files.copyToNewFile(dir / "big", dir / "stage\\big"), kErrorSuccess);
  EXPECT_EQ(readBytes(dir / "stage\\big"), big);
}

TEST(Win32ClockAdapter, LocalTimeAndSleep) {
  Win32Clock clock;
  SYSTEMTIME before;
  GetLocalTime(&before);
  const LocalTime now = clock.localTime();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  const DWORD start = GetTickCount();
  clock.sleepMs(120);
  EXPECT_GE(GetTickCount() - start, 100u);
}

TEST(RuntimeAtolOracle, MatchesThePlatformAtolIncludingOverflow) {
  // The platform's own atol (the run time this program links, msvcrt) is the
  // reference: DWORD data and patch numbers are converted as it converts
  // them, including the 32-bit wrap of overlong digit runs.
  const char* const texts[] = {"12abc", "abc", "-1", "  \t+42", "", "- 5", "+-3", "--3",
                               "\v\f\r\n 9", "0x1F", "1e3", " 0012", "2147483647",
                               "2147483648", "4294967295", "4294967296", "99999999999",
                               "-2147483648", "-2147483649", "-4294967295",
                               "123456789012345678901234567890", "\x82\x4F", "\xA0" "5",
                               "7\x82\x4F"};
  for (const char* text : texts) {
    EXPECT_EQ(runtimeAtol(text), atol(text)) << "\"" << text << "\"";
  }
}

// --- Placement with real version resources ---

class WinePlacementTest : public ::testing::Test {
 protected:
  WinePlacementTest() : app_("app"), media_("media") {}
  // Installs the test DLL `installedTag` as name and offers `offeredTag`.
  void stage(const std::string& name, const std::string& installedTag,
             const std::string& offeredTag) {
    if (!installedTag.empty()) {
      ASSERT_TRUE(CopyFileA(testDll(installedTag).c_str(), (app_ / name).c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileA(testDll(offeredTag).c_str(), (media_ / name).c_str(), FALSE));
    FileEntry& entry = job->fileEntries[job->fileEntryCount++];
    entry.sourcePath = media_ / name;
    entry.targetPath = app_ / name;
  }
  bool replaced(const std::string& name, const std::string& offeredTag) {
    return readBytes(app_ / name) == readBytes(testDll(offeredTag));
  }
  int place() { return placeFiles(*job, files, codePage); }

  ScratchFolder app_;
  ScratchFolder media_;
  Win32FileSystem files;
  Win32CodePage codePage;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

TEST_F(WinePlacementTest, VersionNumbersOfRealFiles) {
  EXPECT_EQ(fileVersionNumber(testDll("1_2_3"), files, codePage), 10203);
  EXPECT_EQ(fileVersionNumber(testDll("1_3_0"), files, codePage), 10300);
  EXPECT_EQ(fileVersionNumber(testDll("1_100_0"), files, codePage), 20000);
  EXPECT_EQ(fileVersionNumber(testDll("1_0_0_1"), files, codePage), 0);
  EXPECT_EQ(fileVersionNumber(testDll("none"), files, codePage), 0);
}

TEST_F(WinePlacementTest, KeptOrReplacedByVersion) {
  stage("older.dll", "1_2_3", "1_2_2");
  stage("equal.dll", "1_2_3", "1_2_3");
  stage("newer.dll", "1_2_3", "1_3_0");
  stage("unversioned.dll", "1_2_3", "none");
  stage("overlap.dll", "2_0_1", "1_100_0");  // 20000 < 20001
  stage("fresh.dll", "", "1_2_2");
  // Make the equal-version pair differ in content so a copy is visible.
  ASSERT_TRUE(writeBytes(app_ / "equal.dll", readBytes(testDll("1_2_3")) + "pad"));
  EXPECT_EQ(place(), kPlacementComplete);
  EXPECT_FALSE(replaced("older.dll", "1_2_2"));
  EXPECT_EQ(readBytes(app_ / "older.dll"), readBytes(testDll("1_2_3")));
  EXPECT_TRUE(replaced("equal.dll", "1_2_3"));
  EXPECT_TRUE(replaced("newer.dll", "1_3_0"));
  EXPECT_TRUE(replaced("unversioned.dll", "none"));
  EXPECT_FALSE(replaced("overlap.dll", "1_100_0"));
  EXPECT_TRUE(replaced("fresh.dll", "1_2_2"));
}

TEST_F(WinePlacementTest, FourPartVersionAndUnversionedFilesGoByTime) {
  stage("four.dll", "1_0_0_1", "1_3_0");
  stage("older.txt", "none", "1_2_2");
  stage("same.txt", "none", "1_2_2");
  stage("later.txt", "none", "1_2_2");
  ASSERT_TRUE(setLastWrite(app_ / "four.dll", kSomeTime));
  ASSERT_TRUE(setLastWrite(media_ / "four.dll", kSomeTime - kHour));
  ASSERT_TRUE(setLastWrite(app_ / "older.txt", kSomeTime));
  ASSERT_TRUE(setLastWrite(media_ / "older.txt", kSomeTime - kHour));
  ASSERT_TRUE(setLastWrite(app_ / "same.txt", kSomeTime));
  ASSERT_TRUE(setLastWrite(media_ / "same.txt", kSomeTime));
  ASSERT_TRUE(setLastWrite(app_ / "later.txt", kSomeTime));
  ASSERT_TRUE(setLastWrite(media_ / "later.txt", kSomeTime + kHour));
  EXPECT_EQ(place(), kPlacementComplete);
  EXPECT_FALSE(replaced("four.dll", "1_3_0"));
  EXPECT_FALSE(replaced("older.txt", "1_2_2"));
  EXPECT_TRUE(replaced("same.txt", "1_2_2"));
  EXPECT_TRUE(replaced("later.txt", "1_2_2"));
  EXPECT_EQ(lastWriteOf(app_ / "later.txt"), kSomeTime + kHour);
}

TEST_F(WinePlacementTest, OverwriteReplacesReadOnlyFileAndLeavesItWritable) {
  stage("cfg.dll", "1_3_0", "1_2_2");
  job->fileEntries[0].onlyIfPresent = 1;
  job->fileEntries[0].skipVersionCheck = 1;
  ASSERT_TRUE(SetFileAttributesA((app_ / "cfg.dll").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA((media_ / "cfg.dll").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(place(), kPlacementComplete);
  EXPECT_TRUE(replaced("cfg.dll", "1_2_2"));
  EXPECT_EQ(attributesOf(app_ / "cfg.dll") & FILE_ATTRIBUTE_READONLY, 0u);
  HANDLE writable = CreateFileA((app_ / "cfg.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(writable, INVALID_HANDLE_VALUE);
  if (writable != INVALID_HANDLE_VALUE) CloseHandle(writable);
}

TEST_F(WinePlacementTest, CopyOntoFileHeldOpenWithoutSharingFails) {
  stage("a.dll", "", "1_2_2");
  stage("held.dll", "1_2_2", "1_3_0");
  stage("c.dll", "", "1_2_2");
  const std::string before = readBytes(app_ / "held.dll");
  HANDLE held = CreateFileA((app_ / "held.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const int result = place();
  CloseHandle(held);
  EXPECT_EQ(result, kPlacementFailed);
  EXPECT_EQ(job->fileCursor, 1);
  EXPECT_EQ(readBytes(app_ / "held.dll"), before);
  EXPECT_TRUE(replaced("a.dll", "1_2_2"));
  EXPECT_FALSE(fileExists(app_ / "c.dll"));
  // No temporary copy is left beside the target.
  EXPECT_FALSE(anyMatch(app_ / "*~qt*"));
}

TEST_F(WinePlacementTest, FileHeldOpenWithWriteSharingIsReplacedInPlace) {
  // Held open with read and write sharing: a rename over it fails, a copy
  // onto it works; the placement must succeed and leave no temporary.
  stage("shared.dll", "1_2_2", "1_3_0");
  stage("after.dll", "", "1_2_2");
  HANDLE held = CreateFileA((app_ / "shared.dll").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const int result = place();
  CloseHandle(held);
  EXPECT_EQ(result, kPlacementComplete);
  EXPECT_EQ(job->fileCursor, 2);
  EXPECT_TRUE(replaced("shared.dll", "1_3_0"));
  EXPECT_TRUE(replaced("after.dll", "1_2_2"));
  EXPECT_FALSE(anyMatch(app_ / "*~qt*"));
}

TEST_F(WinePlacementTest, UnreadableSourceLeavesInstalledFileIntact) {
  stage("a.dll", "1_2_2", "1_3_0");
  const std::string before = readBytes(app_ / "a.dll");
  HANDLE held = CreateFileA((media_ / "a.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // The version lookup of a source held open fails too: the rule then copies.
  const int result = place();
  CloseHandle(held);
  EXPECT_EQ(result, kPlacementFailed);
  EXPECT_EQ(readBytes(app_ / "a.dll"), before);
}

TEST_F(WinePlacementTest, RemovingAFolderDeletesReadOnlyHiddenAndSystemFiles) {
  const std::string tree = app_ / "old";
  CreateDirectoryA(tree.c_str(), nullptr);
  CreateDirectoryA((tree + "\\sub").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(tree + "\\ro.txt", "x"));
  ASSERT_TRUE(writeBytes(tree + "\\hidden.txt", "x"));
  ASSERT_TRUE(writeBytes(tree + "\\sub\\system.txt", "x"));
  ASSERT_TRUE(writeBytes(app_ / "stays.txt", "x"));
  SetFileAttributesA((tree + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((tree + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((tree + "\\sub\\system.txt").c_str(),
                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((tree + "\\sub").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  FileEntry& entry = job->fileEntries[job->fileEntryCount++];
  entry.targetPath = tree;
  entry.removeTarget = 1;
  removeTargets(*job, files, codePage);
  EXPECT_FALSE(fileExists(tree));
  EXPECT_TRUE(fileExists(app_ / "stays.txt"));
}

TEST_F(WinePlacementTest, RemovingWithWildcardDeletesOnlyMatches) {
  ASSERT_TRUE(writeBytes(app_ / "a.tmp", "x"));
  ASSERT_TRUE(writeBytes(app_ / "B.TMP", "x"));
  ASSERT_TRUE(writeBytes(app_ / "keep.txt", "x"));
  SetFileAttributesA((app_ / "a.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA((app_ / "dir.tmp").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(app_ / "dir.tmp\\inner.txt", "x"));
  CreateDirectoryA((app_ / "sub").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(app_ / "sub\\c.tmp", "x"));
  EXPECT_EQ(deleteTree(app_ / "*.tmp", files, codePage), 1);
  EXPECT_FALSE(fileExists(app_ / "a.tmp"));
  EXPECT_FALSE(fileExists(app_ / "B.TMP"));
  EXPECT_FALSE(fileExists(app_ / "dir.tmp"));
  EXPECT_TRUE(fileExists(app_ / "keep.txt"));
  EXPECT_TRUE(fileExists(app_ / "sub\\c.tmp"));
  EXPECT_EQ(deleteTree(app_ / "*.none", files, codePage), 1);
}

TEST_F(WinePlacementTest, MultiByteFolderNames) {
  // "表" (0x95 0x5C) ends in a backslash byte; the code page here is 932.
  ASSERT_EQ(GetACP(), 932u);
  const std::string folder = app_ / "\x95\x5C";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(writeBytes(folder + "\\a.tmp", "x"));
  ASSERT_TRUE(writeBytes(folder + "\\b.txt", "x"));
  EXPECT_EQ(deleteTree(folder + "\\*.tmp", files, codePage), 1);
  EXPECT_FALSE(fileExists(folder + "\\a.tmp"));
  EXPECT_TRUE(fileExists(folder + "\\b.txt"));
  ASSERT_TRUE(CopyFileA(testDll("1_2_2").c_str(), (media_ / "m.dll").c_str(), FALSE));
  FileEntry& entry = job->fileEntries[job->fileEntryCount++];
  entry.sourcePath = media_ / "m.dll";
  entry.targetPath = folder + "\\\x95\x5C.dll";
  EXPECT_EQ(place(), kPlacementComplete);
  EXPECT_EQ(readBytes(folder + "\\\x95\x5C.dll"), readBytes(testDll("1_2_2")));
}

// --- Registry edits and records in the real registry ---

const char kConfigKey[] = "SOFTWARE\\norvane\\Plexor\\Configuration";

std::string queryRaw(const std::string& key, const std::string& name, DWORD* type) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != 0) {
    return "<no key>";
  }
  BYTE data[2048];
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(opened, name.c_str(), nullptr, type, data, &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return "<no value>";
  return std::string(reinterpret_cast<char*>(data), size);
}

// The stored size in bytes as the registry keeps it (UTF-16), read through
// the wide call, which hands the data over unchanged.
DWORD storedWideSize(const std::string& key, const wchar_t* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != 0) return 0;
  BYTE data[2048];
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExW(opened, name, nullptr, nullptr, data, &size);
  RegCloseKey(opened);
  return status == ERROR_SUCCESS ? size : 0;
}

bool keyExists(const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != 0) return false;
  RegCloseKey(opened);
  return true;
}

class WineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\norvane"); }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\norvane"); }
  void add(int operation, const std::string& key, const std::string& name = "",
           const std::string& data = "") {
    RegistryEntry& entry = job->registryEntries[job->registryEntryCount++];
    entry = RegistryEntry{key, name, data, operation};
  }
  Win32Registry registry;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

TEST_F(WineRegistryTest, EditsLandInTheRegistry) {
  const std::string config = kConfigKey;
  add(kRegCreateKey, config + "\\Empty");
  add(kRegSetString, config, "BannerMode", "on");
  add(kRegSetDword, config, "SpoolMode", "12abc");
  add(kRegSetDword, config, "Minus", "-1");
  add(kRegSetString, config + "\\Tree\\A\\B", "v", "1");
  add(kRegSetString, config + "\\Tree\\C", "v", "1");
  add(kRegSetString, config, "Gone", "x");
  add(kRegDeleteValue, config, "Gone");
  add(kRegDeleteSubKey, config, "Tree");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 1);
  DWORD type = 0;
  EXPECT_TRUE(keyExists(config + "\\Empty"));
  EXPECT_EQ(queryRaw(config, "BannerMode", &type), std::string("on\0", 3));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(queryRaw(config, "SpoolMode", &type), std::string("\x0C\0\0\0", 4));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(queryRaw(config, "Minus", &type), std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(queryRaw(config, "Gone", &type), "<no value>");
  EXPECT_FALSE(keyExists(config + "\\Tree"));
}

TEST_F(WineRegistryTest, SubKeyDeletionUnderMissingParentStopsTheEdits) {
  add(kRegDeleteSubKey, std::string(kConfigKey) + "\\Missing", "Tree");
  add(kRegSetString, kConfigKey, "After", "x");
  EXPECT_EQ(applyRegistryEntries(*job, registry), 0);
  DWORD type = 0;
  EXPECT_EQ(queryRaw(kConfigKey, "After", &type), "<no key>");
}

TEST_F(WineRegistryTest, PatchRecordsAsLaidOut) {
  for (const char* id : {"100", "105", "106", "abc"}) {
    const std::string key = std::string(kPatchKeyPath) + "\\" + id;
    ASSERT_EQ(createKey(registry, key), 1);
  }
  job->patchDeleteEntries[0] = PatchDeleteEntry{"105", kPatchDeleteUpTo};
  job->patchDeleteEntryCount = 1;
  job->patchInfoEntries[0] = PatchInfoEntry{"200", "\x8F\x43\x90\xB3", "2001/02/03", "4:05:06"};
  job->patchInfoEntryCount = 1;
  EXPECT_EQ(deletePatchRecords(*job, registry), 1);
  EXPECT_EQ(writePatchRecords(*job, registry), 1);
  EXPECT_FALSE(keyExists(std::string(kPatchKeyPath) + "\\100"));
  EXPECT_FALSE(keyExists(std::string(kPatchKeyPath) + "\\105"));
  EXPECT_FALSE(keyExists(std::string(kPatchKeyPath) + "\\abc"));
  EXPECT_TRUE(keyExists(std::string(kPatchKeyPath) + "\\106"));
  const std::string key = std::string(kPatchKeyPath) + "\\200";
  DWORD type = 0;
  EXPECT_EQ(queryRaw(key, "Title", &type), std::string("\x8F\x43\x90\xB3\0", 5));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(queryRaw(key, "Date", &type), std::string("2001/02/03\0", 11));
  EXPECT_EQ(queryRaw(key, "Time", &type), std::string("4:05:06\0", 8));
  // The tool hands these over without their NUL; the ANSI call stores a
  // terminated UTF-16 string all the same (two characters and the NUL).
  EXPECT_EQ(storedWideSize(key, L"Title"), 6u);
}

TEST_F(WineRegistryTest, UninstallRecordsAsLaidOut) {
  EXPECT_EQ(recordUninstallFile(registry, "C:\\Plexor\\a.dll"), 1);
  EXPECT_EQ(recordUninstallFile(registry, "C:\\Plexor\\b.dll"), 1);
  EXPECT_EQ(recordUninstallFolder(registry, "C:\\Plexor\\work"), 1);
  EXPECT_EQ(recordUninstallFile(registry, "C:\\Plexor\\work"), 1);  // already recorded
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_SET_VALUE, &key), 0);
  RegDeleteValueA(key, "FILE0");
  RegCloseKey(key);
  EXPECT_EQ(recordUninstallFile(registry, "C:\\Plexor\\c.dll"), 1);  // fills the gap
  DWORD type = 0;
  EXPECT_EQ(queryRaw(kUninstallKeyPath, "FILE0", &type), std::string("C:\\Plexor\\c.dll\0", 16));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(queryRaw(kUninstallKeyPath, "FILE1", &type), std::string("C:\\Plexor\\b.dll\0", 16));
  EXPECT_EQ(queryRaw(kUninstallKeyPath, "DIR0", &type), std::string("C:\\Plexor\\work\0", 15));
  EXPECT_EQ(queryRaw(kUninstallKeyPath, "FILE2", &type), "<no value>");
  // Written with the NUL counted.
  EXPECT_EQ(storedWideSize(kUninstallKeyPath, L"DIR0"), 30u);
}

}  // namespace
}  // namespace quillet
