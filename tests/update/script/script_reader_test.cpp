#include "update/script/script_reader.h"

#include <gtest/gtest.h>

#include "tests/update/script/reader_harness.h"

namespace quillet {
namespace {

using script_test::ReaderHarness;

class ScriptReaderTest : public ::testing::Test {
 protected:
  ReaderHarness h;
  UpdateJob& job = *h.job;

  int read(const std::string& text) {
    return readUpdateScriptBytes(job, text, "Plexor", h.ports);
  }
};

TEST_F(ScriptReaderTest, OnlyCommentsAndEmptyLinesGiveTheDefaultJob) {
  EXPECT_EQ(read("# a\r\n\r\n   \r\n#file:x\r\nFile:a.dll\r\n file:a.dll\r\n"), 1);
  EXPECT_EQ(job.fileEntryCount, 0);
  EXPECT_EQ(job.adminRequired, 1);
  EXPECT_EQ(job.rebootRequired, 0);
  EXPECT_EQ(job.updatePPD, 0);
  EXPECT_EQ(job.versionLower, 0);
  EXPECT_EQ(job.versionUpper, 100000);
  EXPECT_EQ(job.targetModelMask, 0x7001F);
  EXPECT_TRUE(h.ui.messages.empty());
}

TEST_F(ScriptReaderTest, TheExampleScript) {
  const char* script =
      "# fix for 3.0x\r\n"
      "VerCheckLower:3.00\r\n"
      "VerCheckUpper:3.09\r\n"
      "TargetModel:QK,ZP\r\n"
      "Reboot:1\r\n"
      "stopSvc:RipQueue\r\n"
      "file:bin\\core.dll\r\n"
      "toWork:bin\r\n"
      "toSystem:\r\n"
      "toolshortcut:viewer.exe\r\n"
      "pxmenulnkname:Viewer\r\n"
      "setKey:SOFTWARE\\norvane\\Plexor\r\n"
      "setName:Level\r\n"
      "addDWORDValue:3\r\n"
      "startSvc:RipQueue\r\n"
      "setParam:/q\r\n"
      "setTime:aftercopy\r\n"
      "goExe:setup.exe\r\n";
  ASSERT_EQ(read(script), 1);
  EXPECT_EQ(job.versionLower, 300);
  EXPECT_EQ(job.versionUpper, 309);
  EXPECT_EQ(job.targetModelMask, 0x3);
  EXPECT_EQ(job.rebootRequired, 1);
  EXPECT_EQ(job.adminRequired, 1);
  ASSERT_EQ(job.serviceToStopCount, 1);
  EXPECT_EQ(job.servicesToStop[0], "RipQueue");
  ASSERT_EQ(job.fileEntryCount, 2);
  EXPECT_EQ(job.fileEntries[0].sourcePath, "D:\\upd\\bin\\core.dll");
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\bin\\core.dll");
  EXPECT_EQ(job.fileEntries[0].recordForUninstall, 1);
  EXPECT_EQ(job.fileEntries[1].sourcePath, "D:\\upd\\bin\\core.dll");
  EXPECT_EQ(job.fileEntries[1].targetPath, "C:\\WINNT\\system32\\core.dll");
  ASSERT_EQ(job.shortcutEntryCount, 1);
  EXPECT_EQ(job.shortcutEntries[0].targetPath, "C:\\P\\tool\\viewer.exe");
  EXPECT_EQ(job.shortcutEntries[0].linkPath, "C:\\All\\Programs\\Plexor\\Viewer.lnk");
  EXPECT_EQ(job.shortcutEntries[0].linkKind, kLinkShell);
  ASSERT_EQ(job.registryEntryCount, 1);
  EXPECT_EQ(job.registryEntries[0].keyPath, "SOFTWARE\\norvane\\Plexor");
  EXPECT_EQ(job.registryEntries[0].valueName, "Level");
  EXPECT_EQ(job.registryEntries[0].valueData, "3");
  EXPECT_EQ(job.registryEntries[0].operation, kRegSetDword);
  ASSERT_EQ(job.serviceToStartCount, 1);
  ASSERT_EQ(job.launchEntryCount, 1);
  EXPECT_EQ(job.launchEntries[0].commandPath, "D:\\upd\\setup.exe");
  EXPECT_EQ(job.launchEntries[0].parameters, "/q");
  EXPECT_EQ(job.launchEntries[0].launchKind, kLaunchPlain);
  EXPECT_EQ(job.launchEntries[0].phase, kPhaseAfterCopy);
}

TEST_F(ScriptReaderTest, SourceModesGiveTheirFlags) {
  ASSERT_EQ(read("file:a\ntoWork:\npatch:b\ntoWork:\nreplace:c\ntoWork:\n"
                 "overwrite:d\ntoWork:\nremove:e\ntoWork:\ntoolshortcut:f\ntoWork:\n"),
            1);
  ASSERT_EQ(job.fileEntryCount, 6);
  const int expected[6][4] = {{1, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 0},
                              {0, 1, 1, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}};
  for (int i = 0; i < 6; ++i) {
    const FileEntry& e = job.fileEntries[i];
    EXPECT_EQ(e.recordForUninstall, expected[i][0]) << i;
    EXPECT_EQ(e.onlyIfPresent, expected[i][1]) << i;
    EXPECT_EQ(e.skipVersionCheck, expected[i][2]) << i;
    EXPECT_EQ(e.removeTarget, expected[i][3]) << i;
  }
  EXPECT_EQ(job.fileEntries[5].sourcePath, "C:\\P\\tool\\f");
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\a");
}

TEST_F(ScriptReaderTest, TargetLineBeforeAnySourceIsAPlainCopyOfNothing) {
  ASSERT_EQ(read("toWork:bin\n"), 1);
  ASSERT_EQ(job.fileEntryCount, 1);
  const FileEntry& e = job.fileEntries[0];
  EXPECT_EQ(e.sourcePath, "");
  EXPECT_EQ(e.targetPath, "C:\\P\\bin\\");
  EXPECT_EQ(e.recordForUninstall + e.onlyIfPresent + e.skipVersionCheck + e.removeTarget, 0);
}

TEST_F(ScriptReaderTest, PathsAreNotNormalised) {
  ASSERT_EQ(read("file:\\a.dll\ntoIIS:\\web\\\nfolderInWork:\nfolderInWork:x\\y\n"), 1);
  EXPECT_EQ(job.fileEntries[0].sourcePath, "D:\\upd\\\\a.dll");
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\Inetpub\\\\web\\\\a.dll");
  EXPECT_EQ(job.workFolders[0], "C:\\P\\");
  EXPECT_EQ(job.workFolders[1], "C:\\P\\x\\y");
}

TEST_F(ScriptReaderTest, DiskLabelIsRecordedPerTargetLine) {
  ASSERT_EQ(read("file:a\ntoWork:\nvolume lavel:DISK2\ntoWork:\n"), 1);
  EXPECT_EQ(job.fileEntries[0].diskLabel, "");
  EXPECT_EQ(job.fileEntries[1].diskLabel, "DISK2");
}

TEST_F(ScriptReaderTest, ShiftJisFileNameWithBackslashTrailByte) {
  // "表.dll" in a folder: 表 is 0x95 0x5C.
  ASSERT_EQ(read("file:bin\\\x95\x5C.dll\ntoSystem:\ndesktopname:\n"), 1);
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\WINNT\\system32\\\x95\x5C.dll");
  EXPECT_EQ(job.shortcutEntries[0].linkPath, "C:\\All\\Desktop\\\x95\x5C.dll.url");
  // Without a folder the whole value is the name.
  ASSERT_EQ(read("file:\x83\x5C\x94\x5C.exe\ntoWork:x\n"), 1);
  EXPECT_EQ(job.fileEntries[1].targetPath, "C:\\P\\x\\\x83\x5C\x94\x5C.exe");
}

TEST_F(ScriptReaderTest, ShortcutsUseTheCurrentNameWhenEmpty) {
  ASSERT_EQ(read("file:sub\\a.exe\ndesktopname:\npxmenuname:\ndesktoplnkname:Link\n"
                 "toolshortcut:bin\\viewer.exe\ndesktoplnkname:\npxmenulnkname:\n"),
            1);
  ASSERT_EQ(job.shortcutEntryCount, 5);
  EXPECT_EQ(job.shortcutEntries[0].linkPath, "C:\\All\\Desktop\\a.exe.url");
  EXPECT_EQ(job.shortcutEntries[0].targetPath, "D:\\upd\\sub\\a.exe");
  EXPECT_EQ(job.shortcutEntries[0].linkKind, kLinkInternet);
  EXPECT_EQ(job.shortcutEntries[1].linkPath, "C:\\All\\Programs\\Plexor\\a.exe.url");
  EXPECT_EQ(job.shortcutEntries[2].linkPath, "C:\\All\\Desktop\\Link.lnk");
  EXPECT_EQ(job.shortcutEntries[3].linkPath, "C:\\All\\Desktop\\viewer.exe.lnk");
  EXPECT_EQ(job.shortcutEntries[3].targetPath, "C:\\P\\tool\\bin\\viewer.exe");
  EXPECT_EQ(job.shortcutEntries[4].linkPath, "C:\\All\\Programs\\Plexor\\viewer.exe.lnk");
  EXPECT_EQ(job.shortcutEntries[4].linkKind, kLinkShell);
}

TEST_F(ScriptReaderTest, ProgramGroupNameComesFromTheCaller) {
  ASSERT_EQ(readUpdateScriptBytes(job, "file:a\npxmenuname:x\n", "Suite", h.ports), 1);
  EXPECT_EQ(job.shortcutEntries[0].linkPath, "C:\\All\\Programs\\Suite\\x.url");
}

TEST_F(ScriptReaderTest, RegistryLinesShareTheKeyAndNameSlots) {
  ASSERT_EQ(read("addKey:K1\nsetName:V\naddSZValue:text\ndelName:Old\ndelSubKey:Sub\n"
                 "addDWORDValue:7\n"),
            1);
  ASSERT_EQ(job.registryEntryCount, 5);
  const RegistryEntry* r = job.registryEntries;
  EXPECT_EQ(r[0].keyPath, "K1");
  EXPECT_EQ(r[0].valueName, "");
  EXPECT_EQ(r[0].operation, kRegCreateKey);
  EXPECT_EQ(r[1].valueName, "V");
  EXPECT_EQ(r[1].valueData, "text");
  EXPECT_EQ(r[1].operation, kRegSetString);
  EXPECT_EQ(r[2].valueName, "Old");
  EXPECT_EQ(r[2].valueData, "");
  EXPECT_EQ(r[2].operation, kRegDeleteValue);
  EXPECT_EQ(r[3].valueName, "Sub");
  EXPECT_EQ(r[3].operation, kRegDeleteSubKey);
  // delSubKey left "Sub" as the value name.
  EXPECT_EQ(r[4].valueName, "Sub");
  EXPECT_EQ(r[4].valueData, "7");
  EXPECT_EQ(r[4].operation, kRegSetDword);
}

TEST_F(ScriptReaderTest, SetKeyThenFileThenValueUsesTheSourceAsKey) {
  ASSERT_EQ(read("setKey:SOFTWARE\\X\nsetName:N\nfile:a.dll\naddSZValue:v\n"), 1);
  EXPECT_EQ(job.registryEntries[0].keyPath, "D:\\upd\\a.dll");
}

TEST_F(ScriptReaderTest, ValueDataBetweenSourceAndTargetBecomesTheFileName) {
  ASSERT_EQ(read("file:bin\\a.dll\naddSZValue:other.txt\ntoWork:\n"), 1);
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\other.txt");
  EXPECT_EQ(job.fileEntries[0].sourcePath, "D:\\upd\\bin\\a.dll");
}

TEST_F(ScriptReaderTest, LaunchParametersComeFromTheSharedDetailSlot) {
  ASSERT_EQ(read("Admin:1\ngoExeParam:fix.exe\n"), 1);
  EXPECT_EQ(job.launchEntries[0].parameters, "1");
  EXPECT_EQ(job.launchEntries[0].launchKind, kLaunchWithParameters);
  EXPECT_EQ(job.launchEntries[0].commandPath, "D:\\upd\\fix.exe");
  EXPECT_EQ(job.launchEntries[0].phase, kPhaseLater);
}

TEST_F(ScriptReaderTest, PhasesFollowSetTime) {
  ASSERT_EQ(read("goExe:a.exe\nsetTime:previous\ngoExe:b.exe\nsetTime:BEFORECOPY\n"
                 "goExeParam:c.exe\nsetTime: previous\ngoExe:d.exe\n"),
            1);
  EXPECT_EQ(job.launchEntries[0].phase, 4);
  EXPECT_EQ(job.launchEntries[1].phase, 1);
  EXPECT_EQ(job.launchEntries[2].phase, 2);
  EXPECT_EQ(job.launchEntries[3].phase, 4);
}

TEST_F(ScriptReaderTest, ScriptFilesRunThroughTheScriptHost) {
  h.system.setEnvironment("WINDIR", "C:\\WINNT");
  ASSERT_EQ(read("goExe:setup.vbs\ngoExe:Setup.Js\ngoExe:tool.exe\n"), 1);
  EXPECT_EQ(job.launchEntries[0].commandPath, "C:\\WINNT\\system32\\cscript.exe setup.vbs");
  EXPECT_EQ(job.launchEntries[1].commandPath, "C:\\WINNT\\system32\\cscript.exe Setup.Js");
  EXPECT_EQ(job.launchEntries[2].commandPath, "D:\\upd\\tool.exe");
  // goExeParam never goes through the script host.
  ASSERT_EQ(read("goExeParam:x.vbs\n"), 1);
  EXPECT_EQ(job.launchEntries[3].commandPath, "D:\\upd\\x.vbs");
}

TEST_F(ScriptReaderTest, ScriptHostFallsBackToTheSourceFolderWithoutWindir) {
  h.system.clearEnvironment("WINDIR");
  ASSERT_EQ(read("goExe:setup.vbs\n"), 1);
  EXPECT_EQ(job.launchEntries[0].commandPath, "D:\\upd\\setup.vbs");
}

TEST_F(ScriptReaderTest, AdminAfterRebootInTheSameScriptClearsTheRightsAgain) {
  ASSERT_EQ(read("Reboot:TRUE\nAdmin:0\n"), 1);
  EXPECT_EQ(job.rebootRequired, 1);
  EXPECT_EQ(job.adminRequired, 0);
}

TEST_F(ScriptReaderTest, SettingsActInFileOrder) {
  ASSERT_EQ(read("Admin:0\nReboot:TRUE\n"), 1);
  EXPECT_EQ(job.adminRequired, 1);
  EXPECT_EQ(job.rebootRequired, 1);
  ASSERT_EQ(read("Admin:0\n"), 1);
  EXPECT_EQ(job.adminRequired, 0);
  ASSERT_EQ(read("updatePPD:on\n"), 1);
  EXPECT_EQ(job.updatePPD, 1);
  EXPECT_EQ(job.adminRequired, 1);
  ASSERT_EQ(read("Admin:yes\nReboot:0\nupdatePPD:off\n"), 1);
  EXPECT_EQ(job.adminRequired, 0);
  EXPECT_EQ(job.rebootRequired, 0);
  EXPECT_EQ(job.updatePPD, 0);
  ASSERT_EQ(read("TargetModel:none\nVerCheckUpper:2.5\n"), 1);
  EXPECT_EQ(job.targetModelMask, 0);
  EXPECT_EQ(job.versionUpper, 250);
  ASSERT_EQ(read("TargetModel:all\n"), 1);
  EXPECT_EQ(job.targetModelMask, 0x7001F);
}

TEST_F(ScriptReaderTest, SystemVariantsAskTheMajorVersionPerLine) {
  h.system.queueOsMajorVersions({4, 4, 5, 5, 6, 6});
  ASSERT_EQ(read("file:a\n"
                 "toWorkNT:nt\ntoWork2k:k\n"       // 4: NT taken
                 "toSystemNT:nt\ntoSystem2k:k\n"   // 5: 2k taken
                 "toIISNT:nt\ntoIIS2k:k\n"),       // 6: neither
            1);
  EXPECT_EQ(h.system.osMajorVersionCalls(), 6);
  ASSERT_EQ(job.fileEntryCount, 2);
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\nt\\a");
  EXPECT_EQ(job.fileEntries[1].targetPath, "C:\\WINNT\\system32\\k\\a");
}

TEST_F(ScriptReaderTest, SkippedVariantLeavesTheDetailSlotAlone) {
  h.system.setOsMajorVersion(5);
  ASSERT_EQ(read("file:a\nsetParam:P\ntoWorkNT:x\ngoExeParam:b.exe\n"), 1);
  EXPECT_EQ(job.fileEntryCount, 0);
  EXPECT_EQ(job.launchEntries[0].parameters, "P");
}

TEST_F(ScriptReaderTest, PatchRecordsAndDeletions) {
  ASSERT_EQ(read("PatchID:P1\nPatchName:First fix\nPatchSetInfo:ignored\nPatchSetInfo:\n"
                 "PatchDelId:P0\nPatchDelTo:P00\nPatchDelAll:anything\n"),
            1);
  ASSERT_EQ(job.patchInfoEntryCount, 2);
  EXPECT_EQ(job.patchInfoEntries[0].patchId, "P1");
  EXPECT_EQ(job.patchInfoEntries[0].patchName, "First fix");
  EXPECT_EQ(job.patchInfoEntries[0].date, "2001/02/03");
  EXPECT_EQ(job.patchInfoEntries[0].time, "4:05:06");
  EXPECT_EQ(job.patchInfoEntries[1].time, "4:05:07");
  EXPECT_EQ(h.clock.calls, 2);
  ASSERT_EQ(job.patchDeleteEntryCount, 3);
  EXPECT_EQ(job.patchDeleteEntries[0].patchId, "P0");
  EXPECT_EQ(job.patchDeleteEntries[0].deleteMode, kPatchDeleteById);
  EXPECT_EQ(job.patchDeleteEntries[1].deleteMode, kPatchDeleteUpTo);
  EXPECT_EQ(job.patchDeleteEntries[2].patchId, "");
  EXPECT_EQ(job.patchDeleteEntries[2].deleteMode, kPatchDeleteAll);
}

TEST_F(ScriptReaderTest, PatchDateAndTimeFormats) {
  h.clock.now = LocalTime{2026, 12, 31, 23, 59, 9};
  ASSERT_EQ(read("PatchSetInfo:\n"), 1);
  EXPECT_EQ(job.patchInfoEntries[0].date, "2026/12/31");
  EXPECT_EQ(job.patchInfoEntries[0].time, "23:59:09");
}

TEST_F(ScriptReaderTest, ServicesAndProcesses) {
  ASSERT_EQ(read("startSvc:A\nstopSvc:B\ntermProc:c.exe\nsetName:N\naddSZValue:v\n"), 1);
  EXPECT_EQ(job.servicesToStart[0], "A");
  EXPECT_EQ(job.servicesToStop[0], "B");
  EXPECT_EQ(job.processesToEnd[0], "c.exe");
  // termProc wrote the key slot.
  EXPECT_EQ(job.registryEntries[0].keyPath, "c.exe");
}

TEST_F(ScriptReaderTest, LongLineIsReadAsTwoLines) {
  // 259 bytes of a comment, then the rest "toWork:" starts the second line.
  std::string first = "#" + std::string(258, 'c');
  ASSERT_EQ(read("file:a\n" + first + "toWork:z\n"), 1);
  ASSERT_EQ(job.fileEntryCount, 1);
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\z\\a");
}

TEST_F(ScriptReaderTest, CtrlZEndsTheScript) {
  ASSERT_EQ(read("file:a\ntoWork:\n\x1AtoWork:b\n"), 1);
  EXPECT_EQ(job.fileEntryCount, 1);
}

TEST_F(ScriptReaderTest, LastLineWithoutLineEnd) {
  ASSERT_EQ(read("file:a\r\ntoWork:last"), 1);
  EXPECT_EQ(job.fileEntries[0].targetPath, "C:\\P\\last\\a");
}

TEST_F(ScriptReaderTest, ScriptIsFoundBesideTheProgramFile) {
  h.system.setModule("Quillet.exe", "E:\\media\\\x95\x5C\\Quillet.exe");
  h.files.files["E:\\media\\\x95\x5C\\quillet.txt"] = "Admin:0\n";
  EXPECT_EQ(readUpdateScript(job, "Plexor", h.ports), 1);
  EXPECT_EQ(job.adminRequired, 0);
}

TEST_F(ScriptReaderTest, ScriptIsLookedForInDotWithoutTheModule) {
  h.files.files[".\\quillet.txt"] = "Reboot:1\n";
  EXPECT_EQ(readUpdateScript(job, "Plexor", h.ports), 1);
  EXPECT_EQ(job.rebootRequired, 1);
  ASSERT_EQ(h.files.reads.size(), 1u);
  EXPECT_EQ(h.files.reads[0], ".\\quillet.txt");
}

TEST_F(ScriptReaderTest, MissingScriptFailsWithoutMessage) {
  EXPECT_EQ(readUpdateScript(job, "Plexor", h.ports), 0);
  EXPECT_EQ(readUpdateScriptFile(job, "X:\\none.txt", "Plexor", h.ports), 0);
  EXPECT_TRUE(h.ui.messages.empty());
}

}  // namespace
}  // namespace quillet
