// The Win32 ports of the raster module against Wine's spooler, registry and
// code page: a raw printer created by the test writes to a file port.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "raster/job/device_info.h"
#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

const wchar_t* kPrinter = L"Vexmoor Adapter Test";

std::wstring tempFolder() {
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  std::wstring folder = std::wstring(path) + L"vexmoor-adapters";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

class Win32Adapters : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    outFile = tempFolder() + L"\\port.bin";
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(L"Vexmoor test raw");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES);
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<LPWSTR>(kPrinter);
    info.pPortName = &outFile[0];
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(h, nullptr) << GetLastError();
    ClosePrinter(h);
  }
  static std::wstring outFile;
  SpoolerPort spooler = systemSpoolerPort();
};
std::wstring Win32Adapters::outFile;

std::string readFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(Win32Adapters, UnknownPrinterDoesNotOpen) {
  PrinterHandle h = nullptr;
  EXPECT_FALSE(spooler.openPrinter(nullptr, u"No Such Printer", false, &h));
  EXPECT_FALSE(spooler.openPrinter(nullptr, u"No Such Printer", true, &h));
}

TEST_F(Win32Adapters, RawDocumentArrivesByteForByte) {
  PrinterHandle h = nullptr;
  ASSERT_TRUE(spooler.openPrinter(nullptr, reinterpret_cast<const char16_t*>(kPrinter), false, &h));
  ASSERT_TRUE(spooler.startDoc(nullptr, h, u"\u8A66\u9A13 document"));
  const std::string first("\x07Kavex_PM\x1b" "E", 11);
  std::string binary;
  for (int i = 0; i < 256; ++i) binary.push_back(char(i));
  EXPECT_TRUE(spooler.write(nullptr, h, first.data(), std::uint32_t(first.size())));
  EXPECT_TRUE(spooler.write(nullptr, h, binary.data(), std::uint32_t(binary.size())));
  EXPECT_TRUE(spooler.endDoc(nullptr, h));
  EXPECT_TRUE(spooler.closePrinter(nullptr, h));
  EXPECT_EQ(readFile(outFile), first + binary);
}

TEST_F(Win32Adapters, SpoolDirectoryIsFoundThroughAPrinterHandle) {
  PrinterHandle h = nullptr;
  ASSERT_TRUE(spooler.openPrinter(nullptr, reinterpret_cast<const char16_t*>(kPrinter), true, &h));
  char16_t dir[260] = {};
  ASSERT_TRUE(spooler.spoolDirectory(nullptr, h, dir, 260));
  std::wstring text(reinterpret_cast<const wchar_t*>(dir));
  CharLowerW(&text[0]);
  EXPECT_NE(text.find(L"spool\\printers"), std::wstring::npos);
  PrinterState state{};
  state.queuedJobs = 99;
  EXPECT_TRUE(spooler.printerState(nullptr, h, &state));
  EXPECT_EQ(state.queuedJobs, 0u);  // nothing queued here
  EXPECT_TRUE(spooler.closePrinter(nullptr, h));

  std::uint64_t freeBytes = 0;
  DiskSpacePort disk = systemDiskSpacePort();
  EXPECT_TRUE(disk.freeBytesForCaller(nullptr, dir, &freeBytes));
  EXPECT_GT(freeBytes, 0u);
  EXPECT_FALSE(disk.freeBytesForCaller(nullptr, u"Q:\\no\\such\\drive", &freeBytes));
}

TEST_F(Win32Adapters, ConfigurationValuesComeFromTheRegistry) {
  const wchar_t* path = L"SOFTWARE\\norvane\\Plexor\\Configuration";
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
  ConfigPort config = systemConfigPort();
  std::uint32_t value = 7;
  EXPECT_FALSE(config.readValue(nullptr, u"BannerMode", &value));  // no key
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD banner = 64;
  RegSetValueExW(key, L"BannerMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&banner), sizeof banner);
  // The type is not examined: four bytes of a binary value count as well.
  const BYTE spool[4] = {1, 0, 0, 0};
  RegSetValueExW(key, L"SpoolMode", 0, REG_BINARY, spool, 4);
  RegCloseKey(key);
  EXPECT_TRUE(config.readValue(nullptr, u"BannerMode", &value));
  EXPECT_EQ(value, 64u);
  EXPECT_TRUE(config.readValue(nullptr, u"SpoolMode", &value));
  EXPECT_EQ(value, 1u);
  EXPECT_FALSE(config.readValue(nullptr, u"Missing", &value));
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

TEST_F(Win32Adapters, TextConvertsThroughTheAnsiCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  TextPort text = systemTextPort();
  char16_t wide[16];
  // "表示" in Shift-JIS: the first character's trail byte is 0x5C.
  text.toWide(nullptr, "\x95\x5C\x8E\xA6", wide, 16);
  EXPECT_EQ(std::u16string(wide), u"\u8868\u793A");
  char narrow[16];
  text.toNarrow(nullptr, u"\u8868\u793A", narrow, sizeof narrow);
  EXPECT_STREQ(narrow, "\x95\x5C\x8E\xA6");
  // Too long for the buffer: cut, and still terminated.
  text.toWide(nullptr, "abcdefgh", wide, 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  // A name whose Shift-JIS form is longer than the buffer keeps the whole
  // characters that fit instead of losing everything.
  text.toNarrow(nullptr, u"\u8868\u793A\u8868\u793A", narrow, 6);
  EXPECT_STREQ(narrow, "\x95\x5C\x8E\xA6");
  text.toNarrow(nullptr, u"a\u8868\u793A", narrow, 3);
  EXPECT_STREQ(narrow, "a");  // never half a double-byte character
  text.toNarrow(nullptr, u"abcdefgh", narrow, 4);
  EXPECT_STREQ(narrow, "abc");
}

// LockFileEx makes taking a number one step for the threads of a process.
TEST_F(Win32Adapters, EightThreadsTakeSixteenHundredDifferentNumbers) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "vexmoor-cntxout.log";
  DeleteFileA(path.c_str());
  std::vector<std::thread> threads;
  std::vector<std::vector<int>> taken(8);
  for (auto& numbers : taken)
    threads.emplace_back([&path, &numbers] {
      for (int i = 0; i < 200; ++i) numbers.push_back(takeJobCounter(systemCounterFilePort(), path.c_str()));
    });
  for (auto& t : threads) t.join();
  std::vector<bool> seen(1601, false);
  for (auto& numbers : taken)
    for (int n : numbers) {
      ASSERT_TRUE(n >= 1 && n <= 1600 && !seen[std::size_t(n)]) << n;
      seen[std::size_t(n)] = true;
    }
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "1601\n");
}

// A holder that keeps the file locked (another handle: a hung job or
// process) costs a taker the bound, and gives it no number.
TEST_F(Win32Adapters, CounterLockedPastTheBoundGivesNoNumber) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "vexmoor-cntxout-held.log";
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  OVERLAPPED whole{};
  ASSERT_TRUE(LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole));
  const DWORD start = GetTickCount();
  EXPECT_EQ(takeJobCounter(systemCounterFilePort(), path.c_str()), kNoJobCounter);
  EXPECT_GE(GetTickCount() - start, kCounterLockWaitMilliseconds - 20);  // the tick's own granularity
  EXPECT_LT(GetTickCount() - start, kCounterLockWaitMilliseconds + 3000);
  CloseHandle(held);
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace vexmoor
