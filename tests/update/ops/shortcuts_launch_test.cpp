// Shortcut files byte for byte, shell links through the shell port, and the
// command lines of program launches, over the fakes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_shell.h"
#include "update/ops/program_launch.h"
#include "update/ops/shortcuts.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

TEST(InternetShortcut, FileBytes) {
  struct Case {
    const char* target;
    const char* bytes;
  };
  const Case cases[] = {
      {"C:\\Tools\\app.exe",
       "[InternetShortcut]\r\nURL=file:C:\\Tools\\app.exe\r\n\r\nIconIndex=0\r\n"
       "IconFile=C:\\Tools\\app.exe\r\n"},
      // Blanks and a trail byte 0x5C (0x95 0x5C) pass unchanged, unquoted.
      {"C:\\Program Files\\\x95\x5C\\a b.txt",
       "[InternetShortcut]\r\nURL=file:C:\\Program Files\\\x95\x5C\\a b.txt\r\n\r\n"
       "IconIndex=0\r\nIconFile=C:\\Program Files\\\x95\x5C\\a b.txt\r\n"},
  };
  for (const Case& c : cases) {
    FakeFileSystem files;
    files.addFolder("C:\\Desk");
    files.addFile("C:\\Desk\\x.url", "an older, longer shortcut file than the new one");
    EXPECT_EQ(writeInternetShortcut(c.target, "C:\\Desk\\x.url", 0, files, Cp932CodePage()), 1);
    EXPECT_EQ(files.contents("C:\\Desk\\x.url"), c.bytes) << c.target;
    EXPECT_THAT(files.operations, ElementsAre("write C:\\Desk\\x.url~qt0",
                                              "replace C:\\Desk\\x.url~qt0 > C:\\Desk\\x.url"));
  }
}

// Every kind of entry, a missing folder and a failing save: each failure
// costs only its own shortcut, and a failed save keeps the old file.
TEST(CreateShortcuts, EachEntryOnItsOwn) {
  FakeFileSystem files;
  FakeShell shell(&files);
  files.addFolder("C:\\Desk");
  files.addFile("C:\\Desk\\old.lnk", "old link");
  files.addFile("C:\\Desk\\stale.lnk", "old link");
  shell.unsavable.insert("C:\\Desk\\stale.lnk~qt0");
  auto job = std::make_unique<UpdateJob>();
  const ShortcutEntry entries[] = {
      {"C:\\P\\a.exe", "C:\\Desk\\A.url", kLinkInternet},
      {"C:\\P\\a.exe", "C:\\Menu\\Group\\A.url", kLinkInternet},  // no such folder
      {"C:\\P\\a.exe", "C:\\Desk\\old.lnk", kLinkShell},
      {"C:\\P\\b.exe", "C:\\Desk\\B.lnk", 7},                      // any other kind: a link
      {"C:\\P\\c.exe", "C:\\Desk\\stale.lnk", kLinkShell},        // save fails
  };
  for (const ShortcutEntry& entry : entries) job->shortcutEntries[job->shortcutEntryCount++] = entry;

  EXPECT_EQ(createShortcuts(*job, files, shell, Cp932CodePage()), 0);
  EXPECT_EQ(files.contents("C:\\Desk\\A.url"), internetShortcutText("C:\\P\\a.exe", 0));
  EXPECT_FALSE(files.exists("C:\\Menu\\Group\\A.url"));
  EXPECT_EQ(files.contents("C:\\Desk\\old.lnk"), FakeShell::linkFileBytes("C:\\P\\a.exe"));
  EXPECT_EQ(files.contents("C:\\Desk\\B.lnk"), FakeShell::linkFileBytes("C:\\P\\b.exe"));
  EXPECT_THAT(shell.calls, ElementsAre("link C:\\P\\a.exe > C:\\Desk\\old.lnk~qt0",
                                       "link C:\\P\\b.exe > C:\\Desk\\B.lnk~qt0",
                                       "link C:\\P\\c.exe > C:\\Desk\\stale.lnk~qt0"));
  EXPECT_EQ(files.contents("C:\\Desk\\stale.lnk"), "old link");
  EXPECT_FALSE(files.exists("C:\\Desk\\stale.lnk~qt0"));
}

TEST(LaunchPhase, CommandLinesInTableOrder) {
  auto job = std::make_unique<UpdateJob>();
  const LaunchEntry entries[] = {
      {"C:\\a.exe", "ignored", kLaunchPlain, kPhaseBeforeCopy},
      {"\"C:\\Program Files\\b.exe\"", "", kLaunchWithParameters, kPhaseBeforeCopy},
      {"C:\\later.exe", "/x", kLaunchWithParameters, kPhaseLater},
      {"missing.exe", "", kLaunchPlain, kPhaseBeforeCopy},
      {"C:\\WIN DOWS\\system32\\cscript.exe C:\\s.vbs", "-q 1", kLaunchWithParameters, kPhaseBeforeCopy},
      {"C:\\Update Media\\\x95\x5C\\t.exe", " -a  \"b c\" ", kLaunchWithParameters, kPhaseBeforeCopy},
  };
  for (const LaunchEntry& entry : entries) job->launchEntries[job->launchEntryCount++] = entry;
  FakeShell shell;
  shell.unstartable.insert("missing.exe");  // passed over; the next one still starts
  const Cp932CodePage cp;

  // A program with blanks is quoted; the parameters follow unchanged.
  EXPECT_EQ(launchPhase(*job, kPhaseBeforeCopy, shell, cp), 1);
  EXPECT_THAT(shell.calls,
              ElementsAre("start C:\\a.exe", "start \"C:\\Program Files\\b.exe\" ",
                          "start missing.exe",
                          "start \"C:\\WIN DOWS\\system32\\cscript.exe\" C:\\s.vbs -q 1",
                          "start \"C:\\Update Media\\\x95\x5C\\t.exe\"  -a  \"b c\" "));
  shell.calls.clear();
  EXPECT_EQ(launchPhase(*job, kPhasePrevious, shell, cp), 1);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(launchPhase(*job, kPhaseLater, shell, cp), 1);
  EXPECT_THAT(shell.calls, ElementsAre("start C:\\later.exe /x"));
}

}  // namespace
}  // namespace quillet
