#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <functional>
#include <sstream>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/job_json.h"
// The sealer's host files.
#include "tools/quillet-check/media_host.h"
#include "tools/quillet-check/seal_media.h"
#include "update/media/media_list.h"
#include "update/media/sha256.h"
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include "tools/quillet-check/script_lint.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

CheckOptions parsed(const std::vector<std::string>& args, const std::string& windir = "") {
  CheckOptions o;
  std::string error;
  EXPECT_TRUE(parseCheckOptions(args, windir, &o, &error)) << error;
  return o;
}

TEST(CheckOptionsTest, DefaultsFollowWindirAndTheSystemVersion) {
  CheckOptions o = parsed({"dir\\quillet.txt"});
  EXPECT_EQ(o.osMajor, 5);
  EXPECT_EQ(o.windir, "C:\\WINDOWS");
  EXPECT_EQ(o.sourceDir, "dir");
  EXPECT_EQ(o.workDir, "C:\\Plexor");
  EXPECT_EQ(o.toolDir, "C:\\Plexor\\tool");
  EXPECT_EQ(o.systemDir, "C:\\WINDOWS\\system32");
  EXPECT_EQ(o.iisDir, "C:\\Inetpub\\wwwroot");
  EXPECT_EQ(o.commonProgramsDir, "C:\\Documents and Settings\\All Users\\Start Menu\\Programs");
  EXPECT_EQ(o.commonDesktopDir, "C:\\Documents and Settings\\All Users\\Desktop");
  EXPECT_EQ(o.programGroup, "Plexor");

  o = parsed({"--os-major", "4", "--work-dir=D:\\W", "q.txt"}, "E:\\WINNT");
  EXPECT_EQ(o.windir, "E:\\WINNT");
  EXPECT_EQ(o.sourceDir, ".");
  EXPECT_EQ(o.toolDir, "D:\\W\\tool");
  EXPECT_EQ(o.systemDir, "E:\\WINNT\\system32");
  EXPECT_EQ(o.commonDesktopDir, "E:\\WINNT\\Profiles\\All Users\\Desktop");
}

TEST(CheckOptionsTest, GivenValuesWin) {
  CheckOptions o = parsed({"--windir", "W", "--system-dir", "S", "--tool-dir", "T",
                           "--source-dir", "", "--program-group", "G", "--os-major", "-1",
                           "--", "--odd-name.txt"},
                          "X");
  EXPECT_EQ(o.windir, "W");
  EXPECT_EQ(o.systemDir, "S");
  EXPECT_EQ(o.toolDir, "T");
  EXPECT_EQ(o.sourceDir, "");
  EXPECT_EQ(o.programGroup, "G");
  EXPECT_EQ(o.osMajor, -1);
  EXPECT_EQ(o.script, "--odd-name.txt");
}

TEST(CheckOptionsTest, UsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"--os-major"}, {"--os-major", "4x", "a"}, {"--os-major", "", "a"},
      {"--os-major", "99999999999", "a"}, {"--bogus", "a"}, {"a", "b"}, {"-v", "a"},
      {"a", "--iis-dir"}, {"--fail-on", "error", "a"}, {"--lint", "--fail-on", "fatal", "a"},
  };
  for (const auto& args : bad) {
    CheckOptions o;
    std::string error;
    EXPECT_FALSE(parseCheckOptions(args, "", &o, &error)) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

TEST(CheckOptionsTest, ScriptFolderIsMultiByteAware) {
  EXPECT_EQ(scriptFolderOf("a/b/quillet.txt"), "a/b");
  EXPECT_EQ(scriptFolderOf("a\\b/c\\quillet.txt"), "a\\b/c");
  EXPECT_EQ(scriptFolderOf("/quillet.txt"), "/");
  EXPECT_EQ(scriptFolderOf("quillet.txt"), ".");
  // 表 (0x95 0x5C) ends in a backslash byte that is not a separator.
  EXPECT_EQ(scriptFolderOf("\x95\x5Cquillet.txt"), ".");
  EXPECT_EQ(scriptFolderOf("D:\\\x95\x5C\\quillet.txt"), "D:\\\x95\x5C");
  // A slash (0x2F) is never the second byte of a character: a host path whose
  // folder name ends in a byte that looks like a lead byte ("ぁ" in UTF-8 is
  // E3 81 81) is still cut at its last slash.
  EXPECT_EQ(scriptFolderOf("/tmp/\xE3\x81\x81/quillet.txt"), "/tmp/\xE3\x81\x81");
  EXPECT_EQ(scriptFolderOf("\x81/quillet.txt"), "\x81");
}

TEST(JsonTest, StringsAreEscaped) {
  EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(jsonString("\t\n\r\b\f"), "\"\\t\\n\\r\\b\\f\"");
  EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
  EXPECT_EQ(jsonString("表"), "\"表\"");
}

class FixedClock : public ClockPort {
 public:
  LocalTime localTime() override { return LocalTime{1999, 1, 2, 3, 4, 5}; }
  void sleepMs(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
};

class RunCheckTest : public ::testing::Test {
 protected:
  // One file per test: CTest runs the tests of this suite side by side.
  std::string path = ::testing::TempDir() + "quillet_check_core_test_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  void write(const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  void TearDown() override { std::remove(path.c_str()); }
  int run(std::vector<std::string> args, std::string* out, std::string* err) {
    args.push_back(path);
    FixedClock clock;
    std::ostringstream o, e;
    int status = runCheck(args, "", clock, o, e);
    *out = o.str();
    *err = e.str();
    return status;
  }
};

TEST_F(RunCheckTest, OptionTextsAreCodePage932LikeTheScript) {
  // 表 in cp932 as program group and folder; printed as UTF-8.
  write("file:a\r\npxmenuname:\r\nPatchID:x\r\nPatchSetInfo:\r\n");
  std::string out, err;
  ASSERT_EQ(run({"--program-group", "\x95\x5C", "--common-programs-dir", "P"}, &out, &err), 0);
  EXPECT_NE(out.find("\"linkPath\": \"P\\\\表\\\\a.url\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"date\": \"1999/01/02\", \"time\": \"3:04:05\""), std::string::npos)
      << out;
  EXPECT_EQ(err, "");
}

TEST_F(RunCheckTest, InvalidBytesBecomeReplacementCharacters) {
  write("startSvc:a\x85\x40z\r\n");
  std::string out, err;
  ASSERT_EQ(run({}, &out, &err), 0);
  EXPECT_NE(out.find("\"a\xEF\xBF\xBDz\""), std::string::npos) << out;
}

TEST_F(RunCheckTest, ControlBytesAreEscapedAndAStrayLeadByteKeepsItsNeighbour) {
  write("startSvc:a\x01" "b\x1b" "c\r\nstopSvc:x\x81\ty\r\n");
  std::string out, err;
  ASSERT_EQ(run({}, &out, &err), 0);
  EXPECT_NE(out.find("\"a\\u0001b\\u001bc\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"x\xEF\xBF\xBD\\ty\""), std::string::npos) << out;
}

TEST_F(RunCheckTest, OverflowGivesStatusOneWithTheMessage) {
  std::string script;
  for (int i = 0; i < 9; ++i) script += "stopSvc:s\n";
  write(script);
  std::string out, err;
  EXPECT_EQ(run({}, &out, &err), 1);
  EXPECT_NE(out.find("\"result\": 0"), std::string::npos);
  EXPECT_NE(out.find("停止するサービスが多すぎます。"), std::string::npos);
}

#ifndef _WIN32
// --seal on a folder others can write to: the list is replaced through a new
// file renamed over it; a link in its place is refused and what it points to
// left alone; a FIFO, a device or a folder where a file should be stops the
// seal with the reason, before anything is opened for reading.
TEST(SealTest, HostileMediaFoldersAreRefusedWithTheReason) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "quillet_check_seal";
  const fs::path media = dir / "media";
  const fs::path list = media / "quillet.sha256";
  const auto put = [](const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  const auto contents = [](const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
  };
  struct Row {
    const char* name;
    std::function<void()> arrange;
    int status;
    std::string err;  // the end of standard error
  };
  const std::vector<Row> rows = {
      {"an old list is replaced", [&] { put(list, "old\n"); }, 0, ""},
      {"a link to another file in the list's place", [&] { fs::create_symlink(dir / "kept", list); },
       2, "it is a symbolic link, which is left as it is; remove it and seal again\n"},
      {"a link to nowhere in the list's place", [&] { fs::create_symlink(dir / "absent", list); },
       2, "it is a symbolic link, which is left as it is; remove it and seal again\n"},
      {"a folder in the list's place", [&] { fs::create_directory(list); }, 2,
       "it is a folder, which is left as it is; remove it and seal again\n"},
      {"a copied file is a FIFO",
       [&] { fs::remove(media / "a.dll"); ::mkfifo((media / "a.dll").c_str(), 0600); }, 1,
       "cannot read the media file 'a.dll': it is a FIFO, not a regular file\n"},
      {"a copied file is a device",
       [&] { fs::remove(media / "a.dll"); fs::create_symlink("/dev/zero", media / "a.dll"); }, 1,
       "cannot read the media file 'a.dll': it is a device, not a regular file\n"},
      {"a copied file is missing", [&] { fs::remove(media / "a.dll"); }, 1,
       "cannot read the media file 'a.dll'\n"},
      {"a script longer than any update script",
       [&] { put(media / "quillet.txt", std::string(kLargestScript + 1, '\n')); }, 1,
       "cannot read 'quillet.txt' in '" + media.string() + "': longer than 16 MiB\n"},
      {"title.bmp copied by the script but missing",
       [&] { put(media / "quillet.txt", "file:a.dll\r\nfile:title.bmp\r\ntoWork:bin\r\n"); }, 1,
       "cannot read the media file 'title.bmp'\n"},
      {"title.bmp is there but a folder", [&] { fs::create_directory(media / "title.bmp"); }, 1,
       "cannot read the media file 'title.bmp': it is a folder, not a regular file\n"},
  };
  const std::string script = "file:a.dll\r\ntoWork:bin\r\n";
  const std::string library(3 * kMediaPieceSize + 5, 'L');  // several pieces
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(dir);
    fs::create_directories(media);
    put(dir / "kept", "kept");
    put(media / "quillet.txt", script);
    put(media / "a.dll", library);
    row.arrange();
    FixedClock clock;
    std::ostringstream out, err;
    EXPECT_EQ(runCheck({"--seal", media.string()}, "", clock, out, err), row.status);
    const std::string expected = mediaListLine(sha256Hex(script), "quillet.txt") +
                                 mediaListLine(sha256Hex(library), "a.dll");
    EXPECT_EQ(out.str(), row.status == 0 ? expected : "");
    if (row.status == 0) {
      EXPECT_EQ(contents(list), expected);
    }
    const std::string e = err.str();
    EXPECT_EQ(e.substr(e.size() - std::min(e.size(), row.err.size())), row.err) << e;
    EXPECT_EQ(contents(dir / "kept"), "kept");
    EXPECT_FALSE(fs::exists(dir / "absent"));
    for (const fs::directory_entry& entry : fs::directory_iterator(media))
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
  fs::remove_all(dir);
}

// The host's reader fills the pieces it is asked for, to the file's end.
TEST(SealTest, MediaFilesAreReadInPieces) {
  const std::string dir = ::testing::TempDir();
  const std::string name = "quillet_check_pieces.bin";
  std::string bytes(2 * kMediaPieceSize + 1, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
  std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  std::string read;
  std::size_t largest = 0;
  std::string why;
  EXPECT_EQ(readMediaFile(dir, name,
                          [&](const PieceReader& pieces) {
                            PieceDigest digest;
                            return sha256OfPieces(pieces, &digest, [&](const char* piece,
                                                                       std::size_t size) {
                              read.append(piece, size);
                              largest = std::max(largest, size);
                              return true;
                            });
                          },
                          &why),
            MediaRead::kRead);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(largest, kMediaPieceSize);
  std::remove((dir + "/" + name).c_str());
}
#endif

// --lint: one mistake per script gives exactly one finding, on its line and in
// its words ({media} stands for the media folder); a clean script that uses
// every kind of line gives none.
TEST(LintTest, EachMistakeGivesOneFindingAndACleanScriptNone) {
  const std::string media = ::testing::TempDir() + "quillet_lint_media";
  // Names in UTF-8 here; each system stores them in its own way.
  for (const char* folder : {"/bin", "/Web", "/ソ能"})
    std::filesystem::create_directories(std::filesystem::u8path(media + folder));
  for (const char* file : {"/bin/core.dll", "/bin/opt.dll", "/bin/cfg.ini", "/Web/Index.htm",
                           "/setup.exe", "/after.vbs", "/ソ能/表.dll"})
    std::ofstream(std::filesystem::u8path(media + file)) << "x";
  std::string nineStops, registry65;
  for (int i = 1; i <= 9; ++i) nineStops += "stopSvc:s" + std::to_string(i) + "\n";
  for (int i = 1; i <= 65; ++i) registry65 += "addKey:K" + std::to_string(i) + "\n";
  const std::string takes = " (the current values are shared): put a ";
  // Written in UTF-8 here, saved in Shift-JIS as authors save them.
  auto sjis = [](const std::string& utf8) {
    std::string ansi;
    EXPECT_TRUE(Cp932CodePage().fromUtf8(utf8, &ansi));
    return ansi;
  };
  struct Row {
    std::string script;
    int line;
    std::string check;  // "E name" for an error, "W name" for a warning; empty: no finding
    std::string text;
  };
  const Row rows[] = {
      {"# every kind of line\r\n\r\nvolume lavel:DISK1\r\nVerCheckLower:3.00\r\n"
       "VerCheckUpper:3.09\r\nTargetModel:QK,ZP\r\nAdmin:1\r\nReboot:0\r\nupdatePPD:1\r\n"
       "termProc:viewer\r\nstopSvc:RipQueue\r\nfolderInWork:logs\r\nfile:bin\\core.dll\r\n"
       "toWork:bin\r\ntoWorkNT:bin\r\ntoWork2k:bin\r\ntoSystem:\r\ntoSystemNT:\r\n"
       "toSystem2k:\r\npatch:web\\index.htm\r\ntoIIS:\r\ntoIISNT:\r\ntoIIS2k:\r\n"
       "replace:bin\\opt.dll\r\ntoWork:bin\r\noverwrite:BIN\\cfg.ini\r\ntoWork:bin\r\n"
       "remove:*.tmp\r\ntoWork:\r\ntoolshortcut:viewer.exe\r\ndesktopname:Viewer\r\n"
       "pxmenuname:\r\ndesktoplnkname:Viewer\r\npxmenulnkname:Viewer\r\n"
       "addKey:SOFTWARE\\norvane\\Plexor\\Extra\r\nsetKey:SOFTWARE\\norvane\\Plexor\r\n"
       "delSubKey:Old\r\nsetName:Level\r\naddSZValue:high\r\nsetName:Count\r\n"
       "addDWORDValue:3\r\ndelName:Obsolete\r\nstartSvc:RipQueue\r\nPatchDelId:300\r\n"
       "PatchDelTo:299\r\nPatchDelAll:\r\nPatchID:301\r\nPatchName:Fix 3.01\r\n"
       "PatchSetInfo:\r\nsetTime:beforecopy\r\nsetParam:/q\r\ngoExeParam:setup.exe\r\n"
       "goExe:after.vbs\r\n",
       0, "", ""},
      // As authors write them: comments, names whose second byte is 0x5C.
      {sjis("# プレクサー 3.01 更新（ビューア修正）\r\n# 3.00 から 3.09 まで\r\nVerCheckLower:3.00\r\n"
            "VerCheckUpper:3.09\r\nTargetModel:QK,ZP,XWJ\r\nAdmin:1\r\nReboot:1\r\nupdatePPD:0\r\n"
            "volume lavel:PLEXOR301\r\n\r\n# 止めてから置き換える\r\ntermProc:viewer\r\n"
            "stopSvc:RipQueue\r\nfolderInWork:logs\r\nfolderInWork:logs\\2024\r\n"
            "file:ソ能\\表.dll\r\ntoWork:ソ能\r\ntoWorkNT:ソ能\r\ntoWork2k:ソ能\r\n"
            "patch:bin\\core.dll\r\ntoSystem:\r\ntoSystemNT:\r\ntoSystem2k:\r\nreplace:bin\\opt.dll\r\n"
            "toIIS:\r\ntoIISNT:\r\ntoIIS2k:\r\noverwrite:bin\\cfg.ini\r\ntoWork:bin\r\n"
            "remove:ソ能\\*.tmp\r\ntoWork:\r\n# ショートカット\r\ntoolshortcut:表示.exe\r\n"
            "desktopname:表示\r\npxmenuname:\r\ndesktoplnkname:表示\r\npxmenulnkname:表示\r\n"
            "addKey:SOFTWARE\\norvane\\Plexor\\表示\r\nsetKey:SOFTWARE\\norvane\\Plexor\r\n"
            "delSubKey:Old\r\nsetName:Level\r\naddSZValue:高 # 最高\r\nsetName:Count\r\n"
            "addDWORDValue:-1\r\ndelName:Obsolete\r\nstartSvc:RipQueue\r\nPatchDelId:300\r\n"
            "PatchDelTo:299\r\nPatchDelAll:\r\nPatchID:301\r\nPatchName:修正 3.01\r\nPatchSetInfo:\r\n"
            "setTime:beforecopy\r\nsetParam:/q\r\ngoExeParam:setup.exe\r\nsetTime:later\r\n"
            "goExe:after.vbs\r\n"),
       0, "", ""},
      {"# a\nstopSrv:RipQueue\n", 2,
       "W not-keyword", "\"stopSrv:\" is not a keyword: the line is ignored; the keyword is \"stopSvc:\""},
      {"patchid:301\n", 1, "W not-keyword", "\"patchid:\" is not a keyword (letter case counts): the line is "
                           "ignored; the keyword is \"PatchID:\""},
      {"volume label:D1\n", 1, "W not-keyword", "\"volume label:\" is not a keyword: the line is ignored; the "
                               "keyword is \"volume lavel:\""},
      {"PatchSetInfo\n", 1, "W not-keyword", "\"PatchSetInfo\" is not a keyword: the line is ignored; the "
                            "keyword is \"PatchSetInfo:\""},
      {"copy the files\n", 1, "W not-keyword", "\"copy the files\" is not a keyword line: the line is ignored (a comment starts with \"#\")"},
      {"\tstopSvc:RipQueue\n", 1,
       "W blank-before-keyword", "blanks before \"stopSvc:\": the line is ignored (a keyword must start the line)"},
      // A line longer than 259 bytes goes on as a line of its own, on the same
      // text line: harmless after a comment unless the rest starts a keyword.
      {"\n" + std::string("startSvc:") + std::string(291, 'a') + "\n", 2,
       "W long-line", "line longer than 259 bytes: Quillet cuts it there and reads the rest as a line of its own"},
      {"#" + std::string(300, 'c') + "\nstartSvc:RipQueue\n" + "#" + std::string(258, 'c') +
           "stopSvc:RipQueue\n",
       3, "W long-line", "line longer than 259 bytes: Quillet cuts it there and reads the rest as a line of its own"},
      {"Admin: 1\n", 1, "W blank-after-colon", "blank after \"Admin:\": \" 1\" reads as false; write \"Admin:1\""},
      {"Reboot: on\n", 1, "W blank-after-colon", "blank after \"Reboot:\": \" on\" reads as false; write \"Reboot:on\""},
      {"VerCheckLower: 3.00\n", 1, "W blank-after-colon", "blank after \"VerCheckLower:\": \" 3.00\" reads as version "
                                   "0.00; write \"VerCheckLower:3.00\""},
      {"setTime: previous\n", 1, "W blank-after-colon", "blank after \"setTime:\": \" previous\" counts as \"later\"; "
                                 "write \"setTime:previous\""},
      {"file: bin\\core.dll\ntoWork:bin\n", 1, "E blank-after-colon", "blank after \"file:\": it becomes part of the "
                                              "value \" bin\\core.dll\", and no file of the media is named "
                                              "so: Quillet refuses the media (exit 1620); write \"file:bin\\core.dll\""},
      {"toWork:bin\n", 1, "E no-source", "\"toWork:\" has no source line before it: Quillet copies an empty "
                          "source, which fails: the update is put back (exit 1603)"},
      {"toSystemNT:\n", 1, "E no-source", "\"toSystemNT:\" has no source line before it: Quillet copies an "
                           "empty source, which fails: the update is put back (exit 1603)"},
      {"desktoplnkname:Viewer\n", 1,
       "W no-source", "\"desktoplnkname:\" has no source line before it: the shortcut points to nothing"},
      {"file:bin\\core.dll\nstopSvc:RipQueue\n", 1, "W unused-source", "source line with no target line after it: "
                                                    "\"file:bin\\core.dll\" places nothing"},
      {"toolshortcut:viewer.exe\n", 1, "W unused-source", "source line with no shortcut line after it: "
                                       "\"toolshortcut:viewer.exe\" makes nothing"},
      {"Admin:1\ngoExeParam:setup.exe\n", 2, "W shared-value", "\"goExeParam:\" takes its parameter text from "
                                             "line 1 (\"Admin:1\"), not from a \"setParam:\" line" +
                                                 takes + "\"setParam:\" line directly before it"},
      {"goExeParam:setup.exe\n", 1, "W no-value", "\"goExeParam:\" has no \"setParam:\" line before it: the "
                                    "program is started with an empty parameter text"},
      {"setParam:/q\ngoExe:setup.exe\n", 2, "W param-not-passed", "\"goExe:\" starts the program without the parameter "
                                            "text of line 1 (\"setParam:/q\"): use \"goExeParam:\" "
                                            "to pass it"},
      {"PatchID:301\ntermProc:viewer\nPatchName:Fix\nPatchSetInfo:\n", 4,
       "W shared-value", "\"PatchSetInfo:\" takes its patch identifier from line 2 (\"termProc:viewer\"), not from "
       "a \"PatchID:\" line" + takes + "\"PatchID:\" line directly before it"},
      {"PatchID:301\nPatchSetInfo:\n", 2, "W no-value", "\"PatchSetInfo:\" has no \"PatchName:\" line before "
                                          "it: the patch is recorded without a title"},
      {"toolshortcut:viewer.exe\ndesktoplnkname:V\nsetKey:SOFTWARE\\x\ndesktoplnkname:W\n", 4,
       "W shared-value", "\"desktoplnkname:\" takes its target from line 3 (\"setKey:SOFTWARE\\x\"), not from a "
       "source line" + takes + "source line directly before it"},
      {"file:bin\\core.dll\ntoWork:bin\nsetName:Level\naddSZValue:x\n", 4,
       "W shared-value", "\"addSZValue:\" takes its registry key from line 1 (\"file:bin\\core.dll\"), not from a "
       "\"setKey:\" or \"addKey:\" line" + takes + "\"setKey:\" or \"addKey:\" line directly "
       "before it"},
      {"setName:Level\naddDWORDValue:3\n", 2, "W no-value", "\"addDWORDValue:\" has no \"setKey:\" or "
                                              "\"addKey:\" line before it: the registry key is empty"},
      {nineStops, 9, "E table-full", "the 9th service to stop does not fit (8 at most): Quillet stops reading "
                     "here with a script error, and the update does not run"},
      {registry65, 65, "E table-full", "the 65th registry entry does not fit (64 at most): Quillet stops "
                       "reading here with a script error, and the update does not run"},
      {"file:bin\\gone.dll\ntoWork:bin\n", 1, "E media-missing", "\"bin\\gone.dll\" is not in the media folder "
                                             "\"{media}\": Quillet refuses the media (exit 1620) before it changes anything"},
      {"setTime:soon\n", 1, "W phase-word", "\"setTime:\" phase word \"soon\" is unknown: it counts as \"later\" "
                            "(previous, beforecopy, aftercopy, later)"},
      {"VerCheckLower:3.10\nVerCheckUpper:3.00\n", 2, "E version-range", "no installed version fits: "
                                                     "\"VerCheckLower:\" 3.10 (line 1) is above "
                                                     "\"VerCheckUpper:\" 3.00 (line 2)"},
      {"VerCheckUpper:3\n", 1, "W version-format", "\"VerCheckUpper:3\" is not major.minor: it reads as version 3.00"},
      {"TargetModel:QK,ZQ\n", 1, "W model-word", "\"TargetModel:\" word \"ZQ\" is no model code: ignored (codes: "
                                 "QK, ZP, XWJ, KJV, YV, WZ, JX, QZ, ALL)"},
      {"TargetModel:QKV\n", 1, "W model-word", "\"TargetModel:\" word \"QKV\" is no model code: it counts as QK"},
      // What Quillet does wrong, one row per check.
      {"\xEF\xBB\xBF" "Admin:1\n", 1, "W encoding", "the file starts with a UTF-8 byte-order mark: "
       "Quillet reads it as part of line 1, which it then ignores (\"Admin:1\"); save the script in "
       "Shift-JIS (code page 932) without a byte-order mark"},
      {"# ok\nfile:\xE8\xA1\xA8.dll\ntoWork:\n", 2, "E encoding", "the script is saved as UTF-8, but "
       "Quillet reads Shift-JIS (code page 932): this line reads as \"file:陦ｨ.dll\"; a copied file's "
       "name (line 2) then names no file of the media: Quillet refuses the media (exit 1620); save "
       "the script in Shift-JIS"},
      {std::string("stopSvc:a\0b\n", 12), 1, "W nul-byte", "a NUL byte: Quillet ends the line there "
       "and drops the rest \"b\"; remove the byte"},
      {"stopSvc:a\rstartSvc:b\n", 1, "W lone-cr", "a carriage return without a line feed: Quillet does "
       "not end the line there and reads \"startSvc:b\" as part of this line; end lines with CR LF or LF"},
      {"stopSvc:a\n\x1A\nstartSvc:b\n", 2, "W eof-mark", "an end-of-file mark (Ctrl-Z): Quillet stops "
       "reading here and ignores everything after it; remove the byte"},
      {"stopSvc\x81\x46" "a\x01\n", 1, "W not-keyword", "\"stopSvc：a\\x01\" holds full-width characters "
       "(typed with a Japanese input method), so it starts with no keyword: the line is ignored; write "
       "\"stopSvc:a\\x01\""},
      {"setTime:later\n", 1, "W unused-value", "\"setTime:later\" is used by no line after it: it applies "
       "to no launch line: put it before the \"goExe:\" or \"goExeParam:\" line it is meant for"},
      {"setKey:S\nsetKey:T\ndelName:n\n", 1, "W unused-value", "\"setKey:S\" is replaced by line 2 "
       "(\"setKey:T\") before any line uses it"},
      {"goExe:gone.exe\n", 1, "W launch-missing", "\"gone.exe\" is not in the media folder \"{media}\": "
       "the program does not start, and the update still ends as done (exit 0)"},
      {"file:bin\\core.dll\ntoWork:C:\\bin\n", 2, "E path-root", "\"toWork:C:\\bin\" is a drive or network "
       "path, but Quillet puts the value below its folder (the media, the work folder, ...): no such "
       "folder exists: the copy fails and the update is put back (exit 1603); give the path relative "
       "to that folder"},
      {"file:bin\\core.dll\ntoWork:bin\\\n", 2, "W path-backslash", "\"toWork:bin\\\": Quillet adds the "
       "backslash itself, so the path gets two; write \"toWork:bin\""},
      {"file:bin/core.dll\ntoWork:bin\n", 1, "E path-slash", "\"file:bin/core.dll\": Quillet splits paths "
       "only at \"\\\", so the file name is \"bin/core.dll\" and every target becomes a folder that does "
       "not exist: the copy fails and the update is put back (exit 1603); write \"file:bin\\core.dll\""},
      {"file:\"bin\\core.dll\"\ntoWork:\n", 1, "E path-quotes", "\"file:\"bin\\core.dll\"\": the quotes are "
       "part of the name, and no file or folder name holds one: no such file is on the media: Quillet "
       "refuses the media (exit 1620); write it without quotes"},
      {"file:bin\\core.dll\ntoWork:bin   # main\n", 2, "E value-comment", "\"# main\" is part of the "
       "value (\"#\" starts a comment only at the start of a line): no such folder exists: the copy "
       "fails and the update is put back (exit 1603); write \"toWork:bin\" and the comment on a line "
       "of its own"},
      {"stopSvc:Rip\x81\x40Queue\n", 1, "W full-width", "\"stopSvc:Rip　Queue\" holds full-width "
       "characters (typed with a Japanese input method): nothing on the machine is named so; write "
       "\"stopSvc:Rip Queue\""},
      {"toolshortcut:v.exe\ndesktoplnkname:V.lnk\n", 2, "W link-extension", "\"desktoplnkname:V.lnk\": "
       "Quillet adds the extension itself, so the shortcut is named \"V.lnk.lnk\"; write "
       "\"desktoplnkname:V\""},
      {"file:bin\\core.dll\ntoWork:bin\npxmenuname:Core\n", 3, "W link-to-media", "\"pxmenuname:\" points "
       "to the media copy of line 1 (\"file:bin\\core.dll\"), which is gone after the update: put a "
       "\"toolshortcut:\" line naming the installed program before it"},
      {"folderInWork:logs\\2024\nfolderInWork:LOGS\n", 1, "E folder-order", "\"folderInWork:logs\\2024\" "
       "comes before the line that makes its parent, line 2 (\"folderInWork:LOGS\"): Quillet makes only "
       "the last folder of a path, so this one fails and the update is put back (exit 1603); make the "
       "parent first"},
      {"termProc:svc*\n", 1, "W process-system", "\"termProc:svc*\" also ends Windows' own "
       "\"svchost.exe\": name the program exactly"},
      {"setKey:HKLM\\SOFTWARE\\x\ndelName:a\n", 1, "W registry-hive", "\"setKey:HKLM\\SOFTWARE\\x\" starts "
       "with a hive: Quillet works below HKEY_LOCAL_MACHINE already, so this names the key "
       "HKLM\\HKLM\\SOFTWARE\\x; write \"setKey:SOFTWARE\\x\""},
      {"addKey:\\SOFTWARE\\x\n", 1, "E registry-backslash", "\"addKey:\\SOFTWARE\\x\" starts with a "
       "backslash: the registry refuses such a key (error 161), so creating it or writing a value "
       "under it fails and the update is put back (exit 1603); write \"addKey:SOFTWARE\\x\""},
      {"Admin:\x82\x50\n", 1, "W flag-value", "\"Admin:１\" is full-width (typed with a Japanese input "
       "method) and reads as false (only \"1\", \"on\" and \"true\" are true); write \"Admin:1\" or "
       "\"Admin:0\""},
      {"addKey:K\nsetName:n\naddDWORDValue:0x40\n", 3, "W number-value", "\"addDWORDValue:0x40\" reads "
       "as the number 0 (only decimal digits count): that is what Quillet writes; write "
       "\"addDWORDValue:64\""},
      {"PatchDelTo:KB301\n", 1, "W number-value", "\"PatchDelTo:KB301\" reads as the number 0 (only "
       "decimal digits count): Quillet deletes the patch records numbered up to it; write "
       "\"PatchDelTo:301\""},
      {"TargetModel:none\n", 1, "E model-none", "\"TargetModel:\" names no model code: the update fits "
       "no installed model (codes: QK, ZP, XWJ, KJV, YV, WZ, JX, QZ, ALL)"},
      {"Reboot:1\nReboot:0\n", 2, "W setting-repeated", "\"Reboot:\" is given again (first on line 1, "
       "\"Reboot:1\"): only the last one counts; keep one"},
      {"# quillet-check: allow launch-misssing\n", 1, "W unknown-check", "\"launch-misssing\" is no check "
       "name: the comment silences nothing"},
      // Silenced, and a line Quillet ignores is said once, not contradicted later.
      {"termProc:viewer\n# quillet-check: allow blank-before-keyword\n file:bin\\core.dll\ntoWork:bin\n",
       4, "E no-source", "\"toWork:\" has no source line before it, since line 3 is ignored (see "
       "there): Quillet copies an empty source, which fails: the update is put back (exit 1603)"},
  };
  FixedClock clock;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script.substr(0, 80));
    CheckOptions options;
    std::string error;
    ASSERT_TRUE(parseCheckOptions({"--lint", "--source-dir", media, "q.txt"}, "", &options, &error));
    std::vector<LintFinding> findings = lintScriptBytes(options, row.script, clock);
    for (const LintFinding& finding : findings) EXPECT_TRUE(isLintCheckName(finding.check));
    std::ostringstream out;
    EXPECT_EQ(printLintFindings("q.txt", findings, out), row.check.empty() ? 0 : 1);
    std::string expected = row.text;
    std::size_t at = expected.find("{media}");
    if (at != std::string::npos) expected.replace(at, 7, media);
    EXPECT_EQ(out.str(), row.check.empty() ? "" : "q.txt:" + std::to_string(row.line) +
                                                      (row.check[0] == 'E' ? ": error: " : ": warning: ") +
                                                      expected + " [" + row.check.substr(2) + "]\n");
  }
  // --fail-on error: warnings alone leave the status 0.
  std::ostringstream out;
  EXPECT_EQ(printLintFindings("q", {lintWarning("a", "w")}, out, true), 0);
  EXPECT_EQ(printLintFindings("q", {lintWarning("a", "w"), lintError("b", "e")}, out, true), 1);
}

}  // namespace
}  // namespace quillet
