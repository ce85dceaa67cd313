// Quiet mode and the run log over the whole run as the program wires it:
// which command lines ask for them, what the user sees, and what the log
// says against the fakes.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fake_run_log.h"
#include "tests/update/fake_machine.h"
#include "update/run/linked_operations.h"
#include "update/run/update_app.h"

namespace quillet {
namespace {

struct LogCase {
  const char* commandLine;
  const char* script;
  bool logWritable;
  int exitStatus;
  std::vector<std::string> uiKinds;  // what the user saw, in order
  const char* logPath;               // "" when no log may be opened
  std::vector<std::string> logged;   // lines that must be there (after the time)
  std::function<void(FakeMachine&)> arrange = nullptr;  // the machine before the start
};

const char kJournal[] = "SOFTWARE\\norvane\\Plexor\\UpdateJournal";

struct LoggedMachine : FakeMachine {
  LoggedMachine() {
    const char* product = "SOFTWARE\\norvane\\Plexor";
    registry.setString(product, "", "WZ");
    registry.setString(product, "ProductName", "\x83\x76\x83\x8C\x83\x4E\x83\x58");  // プレクス
    registry.setString(product, "VersionNo", "3.05");
    registry.setString(product, "CopypoolPath", "C:\\P\\Copypool");
    registry.setString(product, "InetPubPath", "C:\\inetpub");
    const char* shell = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    registry.setString(shell, "Common Programs", "C:\\All\\Programs");
    registry.setString(shell, "Common Desktop", "C:\\All\\Desktop");
    system.setModule("Quillet.exe", "C:\\media\\Quillet.exe");
    system.setSystemDirectory("C:\\Windows\\system32");
    system.setEnvironment("WINDIR", "C:\\Windows");
    files.addFolder("C:\\P\\bin");
    files.addFile("C:\\media\\a.dll", "new", 20);
    files.addFile("C:\\media\\b.dll", "old", 10);
    files.addFile("C:\\P\\bin\\b.dll", "newer", 30);
    services.services["Spool1"] = FakeService{};
  }
  LinkedOperations operations;
  FakeRunLog log;
};

TEST(RunLog, QuietAndLogOptionsOverTheWholeRun) {
  const char* update = "Admin:0\r\nfile:a.dll\r\ntoWork:bin\r\nfile:b.dll\r\ntoWork:bin\r\n"
                       "stopSvc:Spool1\r\nstartSvc:Spool1\r\n";
  const std::vector<LogCase> cases = {
      {"-quiet /log \"C:\\deploy logs\\run-1.log\"", "Admin:0\r\nfile:gone.dll\r\ntoWork:bin\r\n",
       true, 1620, {}, "C:\\deploy logs\\run-1.log",
       {"mode: quiet (no window)", "stage: copy of gone.dll: failed, error 2",
        "media check: not sealed, refused: gone.dll: cannot be read",
        "message not shown (quiet): 更新メディアのファイル gone.dll が見つからないか、読み込めません。"
        "インストールを中止します。",
        "exit status 1620"}},
      // A copy that fails at its turn (the target's folder is missing).
      {"quiet /log C:\\q.log", "Admin:0\r\nfile:a.dll\r\ntoWork:gone\r\n", true, 1603, {},
       "C:\\q.log",
       {"media check: not sealed, 1 files checked: passed",
        "media staged in C:\\P\\~qstage0",
        "copy C:\\P\\~qstage0\\a.dll to C:\\P\\gone\\a.dll~qt0: failed, error 3 (path not found)",
        "file C:\\P\\gone\\a.dll from C:\\P\\~qstage0\\a.dll: failed, error 3 (path not found)",
        "message not shown (quiet): ファイルのコピーに失敗しました。インストールを中止します。",
        "exit status 1603"}},
      // Failures other than a copy: their own message; the log names the
      // step and the change.
      {"quiet /log C:\\q.log",
       "Admin:0\r\nfile:a.dll\r\ntoWork:bin\r\nsetKey:\\bad\r\nsetName:X\r\naddSZValue:y\r\n", true,
       1603, {}, "C:\\q.log",
       {"journal: the update is to be put back: registry edits: cannot create key \\bad (error 161)",
        "update: failed in the step registry edits: cannot create key \\bad (error 161); "
        "everything was put back",
        "message not shown (quiet): レジストリの変更に失敗しました。"
        "アップデートは行われず、変更はすべて元に戻しました。",
        "exit status 1603"}},
      // A value whose before-image cannot be read is not changed: an undo
      // that took it for absent would delete it.
      {"quiet /log C:\\q.log",
       "Admin:0\r\nsetKey:SOFTWARE\\Kept\r\nsetName:Mode\r\naddSZValue:new\r\n", true, 1603, {},
       "C:\\q.log",
       {"update: failed in the step registry edits: cannot read value Mode of SOFTWARE\\Kept "
        "before changing it (error 14); everything was put back",
        "exit status 1603"},
       [](FakeMachine& m) {
         m.registry.setString("SOFTWARE\\Kept", "Mode", "old");
         m.registry.injectFailure(FakeRegistry::Op::Query, "SOFTWARE\\Kept", 14);
       }},
      // A journal this tool cannot read: named, and left as it is.
      {"quiet /log C:\\q.log", update, true, 1603, {}, "C:\\q.log",
       {"recovery: the journal HKEY_LOCAL_MACHINE\\SOFTWARE\\norvane\\Plexor\\UpdateJournal cannot be "
        "read (entry 00000001 is damaged); nothing was changed",
        "recovery: the journal HKLM\\SOFTWARE\\norvane\\Plexor\\UpdateJournal cannot be read",
        "message not shown (quiet): 前回のアップデートの記録 "
        "HKLM\\SOFTWARE\\norvane\\Plexor\\UpdateJournal を読み取れません。何も変更していません。"
        "新しい更新メディアで実行するか、operator-guide.txt の手順に従ってください。",
        "exit status 1603"},
       [](FakeMachine& m) {
         m.registry.setDword(kJournal, "State", 1);
         m.registry.setRaw(kJournal, "00000001", kRegBinary, "\x07garbage");
         m.registry.setRaw(kJournal, "00000002", kRegBinary, "\x07garbage");
       }},
      {"/quiet /LOG C:\\q.log", "Admin:0\r\nReboot:1\r\n", true, 3010, {}, "C:\\q.log",
       {"restart dialog not shown (quiet), no restart: プレクスのアップデートは正常に終了しました。"
        " プレクスを使用する場合には、コンピュータを再起動する必要があります。",
        "exit status 3010"}},
      {"silent -log C:\\q.log", "VerCheckLower:9.00\r\n", true, 1638, {"versionAbort"}, "C:\\q.log",
       {"mode: silent (no start and completion dialogs)",
        "version test: installed 305, update for 900 to 100000: refused",
        "dialog shown: お使いのプレクスのバージョンは 3.05 です。 このアップデータは 9.00 以上用です。"
        " インストールを中止します。"}},
      {"/log \"C:\\l g.log\"", update, true, 0, {"start", "progress", "done"}, "C:\\l g.log",
       {"Quillet " QUILLET_VERSION, "command line: /log \"C:\\l g.log\"", "mode: interactive",
        "product key HKLM\\SOFTWARE\\norvane\\Plexor: プレクス, version 3.05, maker code 1, "
        "edition 0",
        "script: read, 2 file entries", "model test: installed 0x10000, update for 0x7001F: passed",
        "registry set HKLM\\SOFTWARE\\norvane\\Plexor\\UninstFiles value \"FILE0\" = "
        "\"C:\\P\\bin\\a.dll\": done",
        "start dialog answered OK", "step stop services: Spool1", "service Spool1: stop sent",
        "service Spool1: stopped", "file C:\\P\\bin\\a.dll: placed",
        "file C:\\P\\bin\\b.dll: not copied (kept as installed)", "step place files: result 5",
        "service Spool1: start sent", "service Spool1: running",
        "dialog shown: プレクスのアップデートは正常に終了しました。", "exit status 0"}},
      // The log cannot be created: the same complete update, nothing logged.
      {"quiet /log C:\\nowhere\\q.log", update, false, 0, {}, "C:\\nowhere\\q.log", {}},
      // quiet as the ninth word is not read; a /log without a path asks for none.
      {"a b c d e f g h quiet /log", update, true, 0, {"start", "progress", "done"}, "", {}},
      {"/log  \"\"", update, true, 0, {"start", "progress", "done"}, "", {}},
  };
  for (const LogCase& c : cases) {
    SCOPED_TRACE(c.commandLine);
    LoggedMachine m;
    m.files.addFile("C:\\media\\quillet.txt", c.script);
    m.log.writable = c.logWritable;
    if (c.arrange) c.arrange(m);
    const std::vector<std::string> journalBefore = m.registry.valueNames(kJournal);
    UpdateApp app(m.ports, m.operations, &m.log, [] { return 7L; });
    app.startFramework("Quillet", c.commandLine);
    app.runUpdate();
    EXPECT_EQ(app.ExitInstance(), c.exitStatus);
    std::vector<std::string> kinds;
    for (const UiCall& call : m.ui.calls) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, c.uiKinds);
    EXPECT_EQ(m.log.openedPath, c.logPath);
    if (c.exitStatus == 0) {
      EXPECT_EQ(m.files.contents("C:\\P\\bin\\a.dll"), "new");
    }
    // A journal found is left as it was when it stops the run; the run's
    // own journal is gone at its end, in either hive.
    EXPECT_EQ(m.registry.valueNames(kJournal), journalBefore);
    if (!journalBefore.empty()) {
      EXPECT_TRUE(m.files.operations.empty()) << "nothing changed";
    }
    EXPECT_FALSE(m.registry.keyExists(std::string(FakeRegistry::kUserHive) + "\\" + kJournal));
    if (!c.logWritable || *c.logPath == '\0') {
      EXPECT_TRUE(m.log.lines.empty());
    }
    auto next = m.log.lines.begin();  // the lines must come in this order
    for (const std::string& want : c.logged) {
      const auto found = std::find(next, m.log.lines.end(), "2001-02-03 04:05:06 " + want);
      EXPECT_NE(found, m.log.lines.end()) << "missing or out of order: " << want;
      if (found != m.log.lines.end()) next = found + 1;
    }
  }
}

}  // namespace
}  // namespace quillet
