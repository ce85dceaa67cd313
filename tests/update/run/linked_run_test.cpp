// The whole run as the program wires it (LinkedOperations over the script
// reader, the preconditions, the uninstall records and the executor), over
// in-memory fakes of every port.
#include <algorithm>
#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/changing_file_system.h"
#include "tests/update/fake_machine.h"
#include "tools/quillet-check/seal_media.h"
#include "update/media/chunked_sha256.h"
#include "update/media/media_files.h"
#include "update/media/sha256.h"
#include "update/run/exit_status.h"
#include "update/run/instance_guard.h"
#include "update/run/linked_operations.h"
#include "update/run/update_app.h"

namespace quillet {
namespace {

using ::testing::ElementsAre;

const char kProduct[] = "SOFTWARE\\norvane\\Plexor";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kPlexorSjis[] = "\x83\x76\x83\x8C\x83\x4E\x83\x58";  // プレクス

struct Machine : FakeMachine {
  Machine() {
    registry.setString(kProduct, "", "WZ");
    registry.setString(kProduct, "ProductName", kPlexorSjis);
    registry.setString(kProduct, "VersionNo", "3.05");
    registry.setString(kProduct, "CopypoolPath", "C:\\P\\Copypool");
    registry.setString(kProduct, "InetPubPath", "C:\\inetpub");
    registry.setString(kShellFolders, "Common Programs", "C:\\All\\Programs");
    registry.setString(kShellFolders, "Common Desktop", "C:\\All\\Desktop");
    system.setModule("Quillet.exe", "C:\\media\\Quillet.exe");
    system.setSystemDirectory("C:\\Windows\\system32");
    system.setEnvironment("WINDIR", "C:\\Windows");
    files.addFolder("C:\\media");
    files.addFolder("C:\\P");
    files.addFolder("C:\\P\\bin");
    files.addFile("C:\\media\\a.dll", "new bytes");
  }
  void script(const std::string& text) { files.addFile("C:\\media\\quillet.txt", text); }
  int run(const char* commandLine) {
    app->startFramework("Quillet", commandLine);
    return app->runUpdate();
  }

  // The run sees the files through a share that can change under it.
  ChangingFileSystem share{files};
  UpdatePorts sharePorts{registry, share, system, clock, ui, services, processes, codePage, shell};
  LinkedOperations operations;
  std::unique_ptr<UpdateApp> app = std::make_unique<UpdateApp>(sharePorts, operations);
};

TEST(LinkedRun, SilentUpdateRecordsPlacesAndEndsWithoutWindowAfterTheProgress) {
  Machine m;
  m.script("Admin:0\r\nfile:a.dll\r\ntoWork:bin\r\n");
  EXPECT_EQ(m.run("silent"), 0);
  EXPECT_EQ(m.registry.stringValue("SOFTWARE\\norvane\\Plexor\\UninstFiles", "FILE0"),
            "C:\\P\\bin\\a.dll");
  EXPECT_EQ(m.files.contents("C:\\P\\bin\\a.dll"), "new bytes");
  ASSERT_EQ(m.ui.calls.size(), 1u);
  EXPECT_EQ(m.ui.calls[0].kind, "progress");
  EXPECT_TRUE(m.ui.progress.destroyed);
  EXPECT_EQ(m.services.openCalls, 2) << "no administrator test, only the two service steps";
  EXPECT_EQ(m.services.openManagers, 0);
  EXPECT_TRUE(m.system.semaphoreHeld(kInstanceGuardName));
  m.app->ExitInstance();
  EXPECT_FALSE(m.system.semaphoreHeld(kInstanceGuardName));
}

TEST(LinkedRun, ProductNameReachesTheScriptReaderAndTheCompletionDialog) {
  Machine m;
  m.script("file:a.dll\r\npxmenulnkname:Viewer\r\n");
  m.ui.startResult = kIdCancel;
  m.run(nullptr);
  // Cancelled at the start dialog: its uninstall records are taken back.
  EXPECT_FALSE(m.registry.keyExists("SOFTWARE\\norvane\\Plexor\\UninstFiles"));
  ASSERT_EQ(m.ui.callsOf("start").size(), 1u);
  EXPECT_EQ(m.ui.callsOf("start")[0].text, "C:\\P\\~qstage0") << "the picture is staged too";
  m.app = std::make_unique<UpdateApp>(m.sharePorts, m.operations);
  m.ui.startResult = kIdOk;
  m.run(nullptr);
  EXPECT_EQ(m.registry.stringValue("SOFTWARE\\norvane\\Plexor\\UninstFiles", "FILE0"),
            std::string("C:\\All\\Programs\\") + kPlexorSjis + "\\Viewer.lnk");
}

TEST(LinkedRun, VersionOutOfBoundsShowsTheComposedLines) {
  Machine m;
  m.script("VerCheckLower:9.00\r\n");
  m.run("silent");
  ASSERT_EQ(m.ui.calls.size(), 1u);
  EXPECT_EQ(m.ui.calls[0].kind, "versionAbort");
  EXPECT_EQ(m.ui.calls[0].text, "お使いのプレクスのバージョンは 3.05 です。");
  EXPECT_EQ(m.ui.calls[0].text2, "このアップデータは 9.00 以上用です。");
}

TEST(LinkedRun, MissingPublishingFolderShowsNotInstalledWithTheProductName) {
  Machine m;
  m.registry.removeKeyPath(kProduct);
  m.registry.setString(kProduct, "ProductName", kPlexorSjis);
  m.registry.setString(kProduct, "CopypoolPath", "C:\\P\\Copypool");
  m.script("Admin:0\r\n");
  m.run(nullptr);
  ASSERT_EQ(m.ui.calls.size(), 1u);
  EXPECT_EQ(m.ui.calls[0].text, "プレクスが正常にインストールされていません。");
}

TEST(LinkedRun, ScriptMissingShowsScriptNotFound) {
  Machine m;
  m.run(nullptr);
  ASSERT_EQ(m.ui.calls.size(), 1u);
  EXPECT_EQ(m.ui.calls[0].text, "スクリプトファイルが見つかりません。");
}

TEST(LinkedRun, CompleteInteractiveRunEndsWithTheDoneDialog) {
  Machine m;
  m.script("file:a.dll\r\ntoWork:bin\r\n");
  m.run("");
  std::vector<std::string> kinds;
  for (const UiCall& call : m.ui.calls) kinds.push_back(call.kind);
  EXPECT_THAT(kinds, ElementsAre("start", "progress", "done"));
  EXPECT_EQ(m.ui.callsOf("done")[0].text, "プレクス");
  EXPECT_EQ(m.services.openCalls, 1 + 2) << "the administrator test, then both service steps";
}


// --- The update media: the list of checksums and the check before any change ---

TEST(MediaSeal, Sha256GivesTheStandardsExampleDigests) {
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  Sha256 million;  // fed in pieces that straddle the 64-byte blocks
  const std::string piece(1000, 'a');
  for (int i = 0; i < 1000; ++i) million.update(piece.data(), piece.size());
  EXPECT_EQ(million.finishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(MediaSeal, ChunkedHashOfTheMillionAsNeverHoldsThemWhole) {
  std::uint64_t left = 1000000;  // generated as asked for, never stored
  std::size_t largest = 0;
  const PieceReader generate = [&](char* buffer, std::size_t capacity, std::size_t* got) {
    largest = std::max(largest, capacity);
    *got = static_cast<std::size_t>(std::min<std::uint64_t>(left, capacity));
    std::fill(buffer, buffer + *got, 'a');
    left -= *got;
    return true;
  };
  std::uint64_t passedOn = 0;
  PieceDigest digest;
  ASSERT_TRUE(sha256OfPieces(generate, &digest, [&](const char*, std::size_t size) {
    passedOn += size;
    return true;
  }));
  EXPECT_EQ(digest.hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(digest.size, 1000000u);
  EXPECT_EQ(passedOn, 1000000u);
  EXPECT_EQ(largest, kMediaPieceSize);
  left = 10;
  const PieceReader failing = [&](char* buffer, std::size_t, std::size_t* got) {
    return left-- > 0 && generate(buffer, 1, got);
  };
  EXPECT_FALSE(sha256OfPieces(failing, &digest)) << "a read error is not an end";
}

// "表" is 0x95 0x5C in code page 932: its second byte is a backslash.
const char kMediaScript[] =
    "Admin:0\r\nstopSvc:Worker\r\nstartSvc:Worker\r\nfile:a.dll\r\ntoWork:bin\r\n"
    "patch:sub\\\x95\x5c.dll\r\ntoWork:\r\nreplace:r.dll\r\ntoWork:\r\nfile:nt.dll\r\ntoWorkNT:\r\n"
    "setTime:later\r\ngoExe:setup.exe\r\n";
const char kSubFile[] = "C:\\media\\sub\\\x95\x5c.dll";

// One more line at the end of the media's list.
void listAlso(Machine& m, const std::string& line) {
  m.files.addFile("C:\\media\\quillet.sha256",
                  m.files.contents("C:\\media\\quillet.sha256") + line + "\n");
}
const char kSomeDigest[] = "5d446eb799e50586065987928e49151465a3fa5f6b082b3bdbaa86f775284d0e  ";

const char kListDamaged[] =
    "更新メディアのファイル quillet.sha256 が壊れています。インストールを中止します。";
const char kListMissing[] =
    "更新メディアのファイル quillet.sha256 が見つからないか、読み込めません。インストールを中止します。";

struct MediaCase {
  const char* name;
  bool sealed;
  void (*arrange)(Machine& m);
  int status;
  const char* message;  // the one message shown; empty: none (the update ran)
};

TEST(MediaSeal, SealedAndUnsealedMediaAreCheckedBeforeAnythingChanges) {
  const std::string sealedList =
      "eae7b97cb8f827c492daa93ce65d8f9dab233d3dc15140b46ee7716860c54ec9  quillet.txt\n"
      "11e2defd59f47c7f2aac84d6a5d6747e98e785afffb72c8bb7b05ec74e1d663c  a.dll\n"
      "20122453c58b2a8baac220741fd94374f00a7f09b8349e48ed40f319c3f48050  sub/表.dll\n"
      "5d446eb799e50586065987928e49151465a3fa5f6b082b3bdbaa86f775284d0e  r.dll\n"
      "f2705563fc2ca26a90347cf32f1f61794c28ff59137965a8b2d47d21a2ab85f3  nt.dll\n"  // an NT 4 line: sealed for every system
      "f68c97664aaea0e16701ffa653c080f4018d533d9e99204affe9dbc0782d0d72  setup.exe\n";  // launched
  const MediaCase cases[] = {
      {"sealed, intact", true, [](Machine&) {}, kExitSuccess, ""},
      {"sealed, a source changed", true,
       [](Machine& m) { m.files.addFile("C:\\media\\a.dll", "new bytez"); }, kExitMediaRefused,
       "更新メディアのファイル a.dll が壊れています。インストールを中止します。"},
      {"sealed, a source cut", true, [](Machine& m) { m.files.addFile(kSubFile, "sub by"); },
       kExitMediaRefused, "更新メディアのファイル sub\\表.dll が壊れています。インストールを中止します。"},
      {"sealed, the script cut in mid-line", true,
       [](Machine& m) { m.files.addFile("C:\\media\\quillet.txt", "Admin:0\r\nstopSvc:Wor"); },
       kExitMediaRefused,
       "更新メディアのファイル quillet.txt が壊れています。インストールを中止します。"},
      {"sealed, a source missing", true,
       [](Machine& m) { m.files.deleteFile("C:\\media\\r.dll"); }, kExitMediaRefused,
       "更新メディアのファイル r.dll が見つからないか、読み込めません。インストールを中止します。"},
      {"sealed, a source not listed", true,
       [](Machine& m) {
         const std::string list = m.files.contents("C:\\media\\quillet.sha256");
         m.files.addFile("C:\\media\\quillet.sha256", list.substr(0, list.find("a.dll\n") + 6) +
                                                         list.substr(list.find("r.dll")  - 66));
       },
       kExitMediaRefused,
       "更新メディアのファイル sub\\表.dll が quillet.sha256 に記載されていません。インストールを中止します。"},
      {"sealed, the list cut in mid-line", true,
       [](Machine& m) {
         m.files.addFile("C:\\media\\quillet.sha256",
                         m.files.contents("C:\\media\\quillet.sha256").substr(0, 100));
       },
       kExitMediaRefused,
       "更新メディアのファイル quillet.sha256 が壊れています。インストールを中止します。"},
      {"not sealed, intact", false, [](Machine&) {}, kExitSuccess, ""},
      {"not sealed, the first source missing", false,
       [](Machine& m) { m.files.deleteFile("C:\\media\\a.dll"); }, kExitMediaRefused,
       "更新メディアのファイル a.dll が見つからないか、読み込めません。インストールを中止します。"},
      {"not sealed, a replace: source missing, no target", false,
       [](Machine& m) { m.files.deleteFile("C:\\media\\r.dll"); }, kExitSuccess, ""},
      {"not sealed, a replace: source missing, its target there", false,
       [](Machine& m) {
         m.files.deleteFile("C:\\media\\r.dll");
         m.files.addFile("C:\\P\\r.dll", "installed");
       },
       kExitMediaRefused,
       "更新メディアのファイル r.dll が見つからないか、読み込めません。インストールを中止します。"},
      // What is installed and run is what was checked, whatever the share does after.
      {"sealed, a source rewritten right after its one read", true,
       [](Machine& m) { m.share.changeAfterFirstRead("C:\\media\\a.dll", "new bytez"); },
       kExitSuccess, ""},
      {"not sealed, a source rewritten right after its one read", false,
       [](Machine& m) { m.share.changeAfterFirstRead("C:\\media\\a.dll", "new bytez"); },
       kExitSuccess, ""},
      {"sealed, the script rewritten right after its one read", true,
       [](Machine& m) {
         m.share.changeAfterFirstRead("C:\\media\\quillet.txt", "Admin:0\r\nfile:evil.dll\r\n");
       },
       kExitSuccess, ""},
      {"sealed, the launched program changed", true,
       [](Machine& m) { m.files.addFile("C:\\media\\setup.exe", "other program"); },
       kExitMediaRefused,
       "更新メディアのファイル setup.exe が壊れています。インストールを中止します。"},
      {"not sealed, the launched program missing", false,
       [](Machine& m) { m.files.deleteFile("C:\\media\\setup.exe"); }, kExitMediaRefused,
       "更新メディアのファイル setup.exe が見つからないか、読み込めません。インストールを中止します。"},
      // List names stay inside the media: refused before any of them is opened.
      {"sealed, a list name going up", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "../secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a list name going up inside", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "sub/../../secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a list name with a drive", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "C:/secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a list name from the root", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "/secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a list name with a UNC prefix", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "//server/share/secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a list name with a backslash", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "sub\\secret.txt"); },
       kExitMediaRefused, kListDamaged},
      {"sealed, a name listed three times is read once", true,
       [](Machine& m) {
         for (int i = 0; i < 2; ++i) {
           listAlso(m, "11e2defd59f47c7f2aac84d6a5d6747e98e785afffb72c8bb7b05ec74e1d663c  a.dll");
         }
       },
       kExitSuccess, ""},
      {"sealed, a name listed again with another digest", true,
       [](Machine& m) { listAlso(m, std::string(kSomeDigest) + "a.dll"); }, kExitMediaRefused,
       kListDamaged},
      // A list that cannot be looked at is not "no list".
      {"sealed, the list cannot be looked at (network error)", true,
       [](Machine& m) { m.share.failLookUp("C:\\media\\quillet.sha256", 64); },
       kExitMediaRefused, kListMissing},
      {"not sealed, but this machine requires a seal", false,
       [](Machine& m) { m.registry.setDword(kProduct, "RequireMediaSeal", 1); }, kExitMediaRefused,
       kListMissing},
      {"sealed, and this machine requires a seal", true,
       [](Machine& m) { m.registry.setDword(kProduct, "RequireMediaSeal", 1); }, kExitSuccess, ""},
  };
  for (const MediaCase& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    m.script(kMediaScript);
    m.files.addFile(kSubFile, "sub bytes");
    m.files.addFile("C:\\media\\r.dll", "r bytes");
    m.files.addFile("C:\\media\\nt.dll", "nt bytes");
    m.files.addFile("C:\\media\\setup.exe", "setup bytes");
    m.services.services["Worker"] = FakeService{};
    if (c.sealed) {
      // Sealed as quillet-check --seal does it, reading the fake media.
      std::string list;
      std::string error;
      const MediaReader read = [&m](const std::string& listName, const MediaUse& use,
                                    std::string*) {
        std::string name;
        std::string bytes;
        if (!mediaNameFromList(listName, m.codePage, &name) ||
            !m.files.readFile("C:\\media\\" + name, &bytes))
          return MediaRead::kMissing;
        std::size_t at = 0;
        const PieceReader pieces = [&](char* buffer, std::size_t capacity, std::size_t* got) {
          *got = std::min(capacity, bytes.size() - at);
          std::copy_n(bytes.data() + at, *got, buffer);
          at += *got;
          return true;
        };
        return use(pieces) ? MediaRead::kRead : MediaRead::kFailed;
      };
      ASSERT_TRUE(sealMediaList(kMediaScript, read, m.clock, &list, &error)) << error;
      EXPECT_EQ(list, sealedList);
      // A media without its NT 4 file cannot be sealed.
      const MediaReader readIncomplete = [&read](const std::string& name, const MediaUse& use,
                                                 std::string* why) {
        return name == "nt.dll" ? MediaRead::kMissing : read(name, use, why);
      };
      EXPECT_FALSE(sealMediaList(kMediaScript, readIncomplete, m.clock, &list, &error));
      EXPECT_EQ(error, "cannot read the media file 'nt.dll'");
      list = sealedList;
      m.files.addFile("C:\\media\\quillet.sha256", list);
    }
    c.arrange(m);
    m.files.operations.clear();
    const std::vector<std::string> before = m.files.pathsBelow("C:\\P");

    m.run("silent");
    EXPECT_EQ(m.app->ExitInstance(), c.status);
    if (*c.message == '\0') {
      EXPECT_THAT(m.ui.callsOf("message"), ::testing::IsEmpty());
      EXPECT_EQ(m.files.contents("C:\\P\\bin\\a.dll"), "new bytes");
      EXPECT_EQ(m.share.mostReadsOfOneFileIn("C:\\media\\"), 1) << "each media file read once";
      // The program runs from the stage, which keeps it (it may still run).
      EXPECT_THAT(m.shell.calls, ElementsAre("start C:\\P\\~qstage0\\setup.exe"));
      EXPECT_EQ(m.files.contents("C:\\P\\~qstage0\\setup.exe"), "setup bytes");
      EXPECT_FALSE(m.files.exists("C:\\P\\~qstage0\\a.dll")) << "the rest of the stage is gone";
      continue;
    }
    ASSERT_EQ(m.ui.calls.size(), 1u);
    EXPECT_EQ(m.ui.calls[0].text, c.message);
    for (const std::string& operation : m.files.operations) {
      EXPECT_NE(operation.find("\\~qstage0"), std::string::npos) << "changed: " << operation;
    }
    EXPECT_THAT(m.shell.calls, ::testing::IsEmpty()) << "nothing started";
    EXPECT_EQ(m.files.pathsBelow("C:\\P"), before) << "the stage is gone too";
    EXPECT_THAT(m.services.log, ::testing::IsEmpty()) << "no service stopped";
    EXPECT_FALSE(m.registry.keyExists(std::string(kProduct) + "\\UninstFiles"));
  }
}


// --- One run per machine: a second start while the first goes on, or after
// it was cut off (a standard user's: from the user's own hive) ---

struct SecondStart {
  const char* name;
  bool sharesGuard;   // false: a copy the guard does not meet (another namespace, an older tool)
  bool firstLive;     // the second starts while the first runs; else after its power was cut
  bool standardUser;  // the product key refuses the journal (access denied)
  void (*firstSeenAs)(FakeProcesses& processes);  // the first's process, as the second sees it
  int status;
};

TEST(OneRunPerMachine, ASecondStartLeavesALiveRunAloneAndPutsBackADeadOne) {
  const auto runs = [](FakeProcesses& p) { p.running[100] = 1000; };
  const SecondStart cases[] = {
      {"renamed copy, the first live", true, true, false, runs, kExitAnotherCopyRunning},
      {"outside the guard, the first live", false, true, false, runs, kExitAnotherCopyRunning},
      {"outside the guard, the first not to be asked", false, true, false,
       [](FakeProcesses& p) { p.inaccessible.insert(100); }, kExitAnotherCopyRunning},
      {"the first cut off", true, false, false, [](FakeProcesses&) {}, kExitCancelled},
      {"the first cut off, its id taken later", false, false, false,
       [](FakeProcesses& p) { p.running[100] = 2000; }, kExitCancelled},
      {"a standard user's run cut off", true, false, true, [](FakeProcesses&) {}, kExitCancelled},
  };
  const std::string journal = std::string(kProduct) + "\\UpdateJournal";
  for (const SecondStart& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    m.files.addFile("C:\\media\\a.dll", "new bytes", 20);
    m.files.addFile("C:\\media\\probe.exe", "probe", 20);
    m.files.addFile("C:\\P\\bin\\a.dll", "old bytes", 10);
    m.script("Admin:0\r\npatch:a.dll\r\ntoWork:bin\r\nsetTime:aftercopy\r\ngoExe:probe.exe\r\n");
    if (c.standardUser) m.registry.injectFailure(FakeRegistry::Op::Create, journal, 5);
    m.processes.ownCreationTime = 1000;  // the first run is process 100
    ChangeGate gate;
    m.files.gate = m.registry.gate = &gate;
    FakeSystem otherSystem;
    otherSystem.setModule("Quillet.exe", "C:\\media\\Quillet.exe");
    FakeProcesses second;  // process 200
    second.ownId = 200;
    c.firstSeenAs(second);
    FakeUi secondUi;
    secondUi.startResult = kIdCancel;
    int secondStatus = -1;
    const auto startSecond = [&] {
      const std::size_t fileChanges = m.files.operations.size();
      const int changes = gate.changes;
      UpdatePorts ports{m.registry, m.files, c.sharesGuard ? m.system : otherSystem, m.clock,
                        secondUi, m.services, second, m.codePage, m.shell};
      UpdateApp app(ports, m.operations);
      app.startFramework("Renamed", c.firstLive ? "silent" : nullptr);
      app.runUpdate();
      secondStatus = app.ExitInstance();
      if (!c.firstLive) return;
      EXPECT_EQ(m.files.operations.size(), fileChanges) << "the second start changed a file";
      EXPECT_EQ(gate.changes, changes) << "the second start changed the registry";
    };
    bool copied = false;
    m.shell.onStart = [&](const std::string&) {
      copied = true;
      ASSERT_EQ(m.files.contents("C:\\P\\bin\\a.dll"), "new bytes") << "after the copy";
      if (c.firstLive) startSecond();
      else gate.cut = true;  // the power goes
    };
    m.run("silent");
    const int firstStatus = m.app->ExitInstance();
    gate.restore();
    if (!c.firstLive) startSecond();
    EXPECT_TRUE(copied) << "the first run reached its copy";
    EXPECT_EQ(secondStatus, c.status);
    EXPECT_THAT(secondUi.calls, ::testing::SizeIs(c.firstLive ? 0u : 1u));
    // A live first run completes; a dead one is put back by the second.
    EXPECT_EQ(firstStatus, c.firstLive ? kExitSuccess : kExitUpdateFailed);
    EXPECT_EQ(m.files.contents("C:\\P\\bin\\a.dll"), c.firstLive ? "new bytes" : "old bytes");
    EXPECT_FALSE(m.registry.keyExists(journal));
    EXPECT_FALSE(m.registry.keyExists(std::string(FakeRegistry::kUserHive) + "\\" + journal));
  }
}

}  // namespace
}  // namespace quillet
