// The POSIX ports: configuration file, spool folder, disk space and the job
// counter file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "raster/job/device_info.h"

#include "raster/spooler/config_posix.h"
#include "raster/spooler/spool_files_posix.h"
#include "raster/spooler/system_ports.h"

namespace vexmoor {
namespace {

class PosixPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vexmoor-posix-XXXXXX";
    folder = mkdtemp(templ);
  }
  void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0); }
  std::string write(const std::string& text) {
    std::string path = folder + "/configuration";
    std::ofstream(path) << text;
    return path;
  }
  std::string folder;
};

TEST_F(PosixPorts, ConfigurationLinesAreNameEqualsValue) {
  std::string path = write("# comment\n  BannerMode =  64 \nSpoolMode=1\nOther = x\nHex = 0x10\nEmpty =\n");
  std::uint32_t v = 0;
  EXPECT_TRUE(readConfigurationValue(path.c_str(), "BannerMode", &v));
  EXPECT_EQ(v, 64u);
  EXPECT_TRUE(readConfigurationValue(path.c_str(), "SpoolMode", &v));
  EXPECT_EQ(v, 1u);
  EXPECT_TRUE(readConfigurationValue(path.c_str(), "Hex", &v));
  EXPECT_EQ(v, 16u);
  EXPECT_FALSE(readConfigurationValue(path.c_str(), "Other", &v));   // not a number
  EXPECT_FALSE(readConfigurationValue(path.c_str(), "Empty", &v));
  EXPECT_FALSE(readConfigurationValue(path.c_str(), "Missing", &v));
  EXPECT_FALSE(readConfigurationValue(path.c_str(), "bannermode", &v));  // names are case-sensitive
  EXPECT_FALSE(readConfigurationValue((folder + "/none").c_str(), "BannerMode", &v));
}

TEST_F(PosixPorts, ConfigurationPathComesFromTheEnvironment) {
  std::string path = write("BannerMode = 3\n");
  setenv("PLEXOR_CONFIG", path.c_str(), 1);
  std::uint32_t v = 0;
  ConfigPort config = systemConfigPort();
  EXPECT_TRUE(config.readValue(nullptr, u"BannerMode", &v));
  EXPECT_EQ(v, 3u);
  EXPECT_FALSE(config.readValue(nullptr, u"SpoolMode", &v));
  unsetenv("PLEXOR_CONFIG");
  EXPECT_STREQ(posixConfigurationPath(), "/etc/plexor/configuration");
}

TEST_F(PosixPorts, DocumentsAreNumberedInOrder) {
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  std::ofstream(folder + "/notes.txt") << "not a document";
  SpoolerPort spooler = systemSpoolerPort();
  PrinterHandle h = nullptr;
  for (const char* text : {"first", "second", "third"}) {
    ASSERT_TRUE(spooler.openPrinter(nullptr, u"Any", false, &h));
    ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d"));
    ASSERT_TRUE(spooler.write(nullptr, h, text, std::uint32_t(std::char_traits<char>::length(text))));
    ASSERT_TRUE(spooler.endDoc(nullptr, h));
    ASSERT_TRUE(spooler.closePrinter(nullptr, h));
  }
  // Another printer numbers its own documents in its own folder; an aborted
  // document leaves no file.
  ASSERT_TRUE(spooler.openPrinter(nullptr, u".P/../x%", false, &h));
  ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d"));
  ASSERT_TRUE(spooler.write(nullptr, h, "other", 5) && spooler.endDoc(nullptr, h));
  ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d") && spooler.write(nullptr, h, "cut", 3));
  ASSERT_TRUE(spooler.abortDoc(nullptr, h));
  ASSERT_TRUE(spooler.closePrinter(nullptr, h));
  auto read = [&](const std::string& name) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(read("Any/doc-0001.prn"), "first");
  EXPECT_EQ(read("Any/doc-0002.prn"), "second");
  EXPECT_EQ(read("Any/doc-0003.prn"), "third");
  EXPECT_EQ(read("%2EP%2F..%2Fx%25/doc-0001.prn"), "other");
  EXPECT_EQ(read("%2EP%2F..%2Fx%25/doc-0002.prn"), "");  // aborted: no file
  int number = 0;
  EXPECT_EQ(nextSpoolDocumentPath(folder + "/Any", &number), folder + "/Any/doc-0004.prn");
  EXPECT_EQ(number, 4);
}

// Printer names as hosts give them, in any code page: each row prints one
// document through the spooler port; rows with the same folder share it.
TEST_F(PosixPorts, PrinterNamesKeepEveryByteAndMeetOnlyTheirLetterCaseVariants) {
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  std::string slashes = ".";  // 255 bytes, 90 of them '/': 437 once escaped
  for (int i = 0; i < 254; ++i) slashes += i < 180 && i % 2 == 0 ? '/' : char('a' + i % 26);
  std::string slashesToo = slashes;
  slashesToo.back() = '!';
  const struct { std::string name; int folder; } rows[] = {
      {"Caf\xE9 One", 0}, {"Caf\xE9 Two", 1},                  // Latin-1
      {"\x83v\x83\x8A\x83\x93\x83^ A", 2}, {"\x83v\x83\x8A\x83\x93\x83^ B", 3},  // code page 932
      {"\x83\x5C", 4}, {"\x83", 5},                            // a trail byte 0x5C is no path
      {slashes, 6}, {slashesToo, 7},
      {"Office Printer", 8}, {"office printer", 8}, {"OFFICE PRINTER", 8},
      {"Caf\xC3\xA9", 9}, {"CAF\xC3\x89", 9},                  // UTF-8 letters fold too
  };
  TextPort text = systemTextPort();
  SpoolerPort spooler = systemSpoolerPort();
  std::map<int, std::set<std::string>> folders;  // by row's folder: the paths its documents went to
  for (const auto& row : rows) {
    char16_t wide[300];
    text.toWide(nullptr, row.name.c_str(), wide, 300);
    PrinterHandle h = nullptr;
    ASSERT_TRUE(spooler.openPrinter(nullptr, wide, false, &h)) << row.name;
    ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d") && spooler.write(nullptr, h, "x", 1)) << row.name;
    ASSERT_TRUE(spooler.endDoc(nullptr, h) && spooler.closePrinter(nullptr, h));
    const std::string at = printerSpoolFolder(folder, row.name);
    EXPECT_LE(at.size() - folder.size() - 1, 255u) << row.name;
    folders[row.folder].insert(at);
  }
  std::set<std::string> all;
  for (const auto& f : folders) {
    EXPECT_EQ(f.second.size(), 1u) << f.first;
    all.insert(*f.second.begin());
  }
  EXPECT_EQ(all.size(), folders.size());  // different names: different folders
  EXPECT_TRUE(std::filesystem::exists(folder + "/Caf%E9 One/doc-0001.prn"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/%83\\/doc-0001.prn"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/Office Printer/doc-0003.prn"));  // the first spelling's
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 10);
}

// A folder the spooler made for a document that was withdrawn goes with it;
// one a person made stays.
TEST_F(PosixPorts, WithdrawnDocumentsLeaveOnlyFoldersSomeoneElseMade) {
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  ASSERT_TRUE(std::filesystem::create_directory(folder + "/Made By Hand"));
  SpoolerPort spooler = systemSpoolerPort();
  for (const char16_t* name : {u"Job 17", u"made by hand", u"Never Begun"}) {
    PrinterHandle h = nullptr;
    ASSERT_TRUE(spooler.openPrinter(nullptr, name, false, &h));
    if (name[0] != u'N') ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d") && spooler.write(nullptr, h, "cut", 3));
    if (name[0] != u'N') ASSERT_TRUE(spooler.abortDoc(nullptr, h));
    ASSERT_TRUE(spooler.closePrinter(nullptr, h));
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"Made By Hand"});
  EXPECT_TRUE(std::filesystem::is_empty(folder + "/Made By Hand"));
}

TEST_F(PosixPorts, PrinterNeedsANameAndAnExistingFolder) {
  SpoolerPort spooler = systemSpoolerPort();
  PrinterHandle h = nullptr;
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  EXPECT_FALSE(spooler.openPrinter(nullptr, u"", false, &h));
  setenv("PLEXOR_SPOOL_DIR", (folder + "/missing").c_str(), 1);
  EXPECT_FALSE(spooler.openPrinter(nullptr, u"Any", false, &h));
}

TEST_F(PosixPorts, SpoolFolderReportsFreeSpaceAndNoQueue) {
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  SpoolerPort spooler = systemSpoolerPort();
  PrinterHandle h = nullptr;
  ASSERT_TRUE(spooler.openPrinter(nullptr, u"Any", true, &h));
  char16_t dir[260];
  ASSERT_TRUE(spooler.spoolDirectory(nullptr, h, dir, 260));
  PrinterState state{};
  state.queuedJobs = 5;
  EXPECT_TRUE(spooler.printerState(nullptr, h, &state));
  EXPECT_EQ(state.queuedJobs, 0u);
  spooler.closePrinter(nullptr, h);
  std::uint64_t bytes = 0;
  EXPECT_TRUE(systemDiskSpacePort().freeBytesForCaller(nullptr, dir, &bytes));
  EXPECT_GT(bytes, 0u);
  EXPECT_FALSE(systemDiskSpacePort().freeBytesForCaller(nullptr, u"/no/such/folder", &bytes));
}

// Whether this process has exactly one file under folder open, not inherited
// by child processes.
bool oneOpenFileNotInherited(const std::string& folder) {
  int found = 0, inherited = 0;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(fd.path(), error).string().rfind(folder + "/", 0) != 0) continue;
    ++found;
    inherited += (fcntl(std::stoi(fd.path().filename().string()), F_GETFD) & FD_CLOEXEC) == 0;
  }
  return found == 1 && inherited == 0;
}

TEST_F(PosixPorts, SpoolDocumentsAreNotInherited) {
  setenv("PLEXOR_SPOOL_DIR", folder.c_str(), 1);
  SpoolerPort spooler = systemSpoolerPort();
  PrinterHandle h = nullptr;
  ASSERT_TRUE(spooler.openPrinter(nullptr, u"Any", false, &h));
  ASSERT_TRUE(spooler.startDoc(nullptr, h, u"d"));
  EXPECT_TRUE(oneOpenFileNotInherited(folder));
  spooler.closePrinter(nullptr, h);
}

// Takes numbers on `threads` threads at once, `each` per thread.
std::vector<int> takeAtOnce(const std::string& path, int threads, int each) {
  std::vector<std::vector<int>> taken(static_cast<std::size_t>(threads));
  std::vector<std::thread> running;
  for (auto& numbers : taken)
    running.emplace_back([&path, &numbers, each] {
      for (int i = 0; i < each; ++i) numbers.push_back(takeJobCounter(systemCounterFilePort(), path.c_str()));
    });
  for (auto& t : running) t.join();
  std::vector<int> all;
  for (auto& numbers : taken) all.insert(all.end(), numbers.begin(), numbers.end());
  std::sort(all.begin(), all.end());
  return all;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(PosixPorts, EightThreadsTakeSixteenHundredDifferentNumbers) {
  const std::string path = folder + "/cntxout.log";
  std::ofstream(path) << "1\n";  // seeded by the host
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  std::vector<int> numbers = takeAtOnce(path, 8, 200);
  for (int i = 0; i < 1600; ++i) ASSERT_EQ(numbers[std::size_t(i)], i + 1);
  EXPECT_EQ(readText(path), "1601\n");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // rewritten in place, where the host put it
}

TEST_F(PosixPorts, TwoProcessesTakeDifferentNumbers) {
  const std::string path = folder + "/cntxout.log";  // missing: the count starts at 1
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    takeAtOnce(path, 2, 300);
    _exit(0);
  }
  std::vector<int> numbers = takeAtOnce(path, 2, 300);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(readText(path), "1201\n");
  EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
}

TEST_F(PosixPorts, Utf8TextRoundTrips) {
  TextPort text = systemTextPort();
  char16_t wide[32];
  text.toWide(nullptr, "\xe8\xa1\xa8 A", wide, 32);
  EXPECT_EQ(std::u16string(wide), u"\u8868 A");
  char narrow[32];
  text.toNarrow(nullptr, u"\u8868 A", narrow, sizeof narrow);
  EXPECT_STREQ(narrow, "\xe8\xa1\xa8 A");
}

}  // namespace
}  // namespace vexmoor
