// The whole run as the program wires it (LinkedOperations over the script
// reader, the preconditions, the uninstall records and the executor), over
// in-memory fakes of every port.
#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/update/fake_machine.h"
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

  LinkedOperations operations;
  std::unique_ptr<UpdateApp> app = std::make_unique<UpdateApp>(ports, operations);
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
  EXPECT_TRUE(m.system.semaphoreHeld("Quillet"));
  m.app->ExitInstance();
  EXPECT_FALSE(m.system.semaphoreHeld("Quillet"));
}

TEST(LinkedRun, ProductNameReachesTheScriptReaderAndTheCompletionDialog) {
  Machine m;
  m.script("file:a.dll\r\npxmenulnkname:Viewer\r\n");
  m.ui.startResult = kIdCancel;
  m.run(nullptr);
  // Cancelled at the start dialog: its uninstall records are taken back.
  EXPECT_FALSE(m.registry.keyExists("SOFTWARE\\norvane\\Plexor\\UninstFiles"));
  ASSERT_EQ(m.ui.callsOf("start").size(), 1u);
  EXPECT_EQ(m.ui.callsOf("start")[0].text, "C:\\media");
  m.app = std::make_unique<UpdateApp>(m.ports, m.operations);
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

}  // namespace
}  // namespace quillet
