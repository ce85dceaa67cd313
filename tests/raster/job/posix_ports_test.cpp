// The POSIX ports: configuration file, spool folder and disk space.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>

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
