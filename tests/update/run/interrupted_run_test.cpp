// All or nothing: a realistic update cut off after each of its changes (the
// power, or the process, gone) and followed by a fresh start of the tool
// leaves the machine exactly as before or exactly as after, with its service
// running; a failure of each change ends with 1603 and the machine exactly as
// before. One table of updates drives both loops.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/update/fake_machine.h"
#include "update/journal/journal_store.h"
#include "update/run/exit_status.h"
#include "update/run/linked_operations.h"
#include "update/run/update_app.h"

namespace quillet {
namespace {

const char kProduct[] = "SOFTWARE\\norvane\\Plexor";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kPlexorSjis[] = "\x83\x76\x83\x8C\x83\x4E\x83\x58";  // プレクス

struct Update {
  const char* name;
  const char* script;
};

const Update kUpdates[] = {
    {"files, removed tree and wildcard, registry, records, link, service",
     "Admin:0\r\nstopSvc:Worker\r\nstartSvc:Worker\r\nfolderInWork:logs\r\n"
     "file:a.dll\r\npxmenulnkname:Viewer\r\ntoWork:bin\r\nfile:b.dll\r\ntoWork:logs\r\n"
     "remove:old\r\ntoWork:\r\nremove:*.tmp\r\ntoWork:\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\Configuration\r\nsetName:SpoolMode\r\naddDWORDValue:2\r\n"
     "setName:BannerMode\r\naddSZValue:on\r\nsetKey:SOFTWARE\\norvane\\Plexor\r\n"
     "delSubKey:Obsolete\r\nPatchDelAll:\r\nPatchID:105\r\nPatchName:Fix 105\r\nPatchSetInfo:\r\n"},
    {"overwrite of a read-only file, new key path, deleted value, records up to, desktop link",
     "Admin:0\r\nstopSvc:Worker\r\nstartSvc:Worker\r\noverwrite:a.dll\r\ntoWork:bin\r\n"
     "file:b.dll\r\ndesktopname:Fresh\r\ntoWork:bin\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\Configuration\r\nsetName:SpoolMode\r\ndelName:\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\New\\Deeper\r\nsetName:Mode\r\naddSZValue:x\r\n"
     "PatchDelTo:100\r\nPatchID:101\r\nPatchName:Fix 101\r\nPatchSetInfo:\r\n"},
};

struct Box : FakeMachine {
  explicit Box(const char* script) {
    registry.setString(kProduct, "", "WZ");
    registry.setString(kProduct, "ProductName", kPlexorSjis);
    registry.setString(kProduct, "VersionNo", "3.05");
    registry.setString(kProduct, "CopypoolPath", "C:\\P\\Copypool");
    registry.setString(kProduct, "InetPubPath", "C:\\inetpub");
    registry.setDword(std::string(kProduct) + "\\Configuration", "SpoolMode", 1);
    registry.setString(std::string(kProduct) + "\\Obsolete\\Deep", "Left", "over");
    registry.setString(std::string(kProduct) + "\\Update\\100", "Title", "Fix 100");
    registry.setString(std::string(kProduct) + "\\Update\\102", "Title", "Fix 102");
    registry.setString(std::string(kProduct) + "\\UninstFiles", "FILE0", "C:\\P\\bin\\a.dll");
    registry.setString(kShellFolders, "Common Programs", "C:\\All\\Programs");
    registry.setString(kShellFolders, "Common Desktop", "C:\\All\\Desktop");
    system.setModule("Quillet.exe", "C:\\media\\Quillet.exe");
    system.setSystemDirectory("C:\\Windows\\system32");
    system.setEnvironment("WINDIR", "C:\\Windows");
    files.addFolder("C:\\inetpub");
    files.addFolder(std::string("C:\\All\\Programs\\") + kPlexorSjis);
    files.addFolder("C:\\All\\Desktop");
    files.addFile(std::string("C:\\All\\Programs\\") + kPlexorSjis + "\\Viewer.lnk", "old link");
    files.addFile("C:\\P\\bin\\a.dll", "installed a", 0, kAttrReadOnly);
    files.addFile("C:\\P\\old\\x.txt", "x");
    files.addFile("C:\\P\\old\\sub\\y.txt", "y", 0, kAttrReadOnly | kAttrHidden);
    files.addFile("C:\\P\\c.tmp", "c");
    files.addFile("C:\\P\\keep.txt", "keep");
    files.addFile("C:\\media\\a.dll", "new a");
    files.addFile("C:\\media\\b.dll", "new b");
    files.addFile("C:\\media\\quillet.txt", script);
    services.services["Worker"].running = true;
    files.gate = &gate;
    registry.gate = &gate;
    services.gate = &gate;
  }

  // One start of the tool, as the program wires it; its exit status.
  int run(const char* commandLine) {
    LinkedOperations operations;
    UpdateApp app(ports, operations);
    app.startFramework("Quillet", commandLine);
    app.runUpdate();
    return app.ExitInstance();
  }

  // Every file and folder (bytes and attributes) and every key and value of
  // the machine.
  std::string snapshot() {
    std::string text;
    for (const std::string& path : files.pathsBelow("C:")) {
      text += path + (files.isFolder(path) ? " <folder>" : " = " + files.contents(path)) +
              " attr " + std::to_string(files.getAttributes(path)) + "\n";
    }
    keys("SOFTWARE", &text);
    return text;
  }
  void keys(const std::string& path, std::string* text) {
    *text += "[" + path + "]\n";
    for (const std::string& name : registry.valueNames(path)) {
      std::uint32_t type = 0;
      std::string bytes;
      registry.rawValue(path, name, &type, &bytes);
      *text += "  " + name + " " + std::to_string(type) + " " + bytes + "\n";
    }
    for (const std::string& sub : registry.subKeyNames(path)) keys(path + "\\" + sub, text);
  }

  ChangeGate gate;
};

// The machine before and after a complete run of the update, and how many
// changes that run made.
struct Reference {
  std::string before;
  std::string after;
  int changes = 0;
};

Reference referenceRun(const Update& update) {
  Box box(update.script);
  Reference reference;
  reference.before = box.snapshot();
  EXPECT_EQ(box.run("silent"), kExitSuccess) << update.name;
  reference.after = box.snapshot();
  reference.changes = box.gate.changes;
  EXPECT_NE(reference.after, reference.before) << update.name;
  EXPECT_EQ(reference.after.find("UpdateJournal"), std::string::npos) << update.name;
  EXPECT_EQ(reference.after.find("~qt"), std::string::npos) << update.name;
  return reference;
}

TEST(AllOrNothing, PowerCutAfterEachChangeThenAFreshStartLeavesBeforeOrAfter) {
  for (const Update& update : kUpdates) {
    const Reference reference = referenceRun(update);
    ASSERT_GT(reference.changes, 20) << update.name;
    int before = 0;
    int after = 0;
    for (int n = 0; n <= reference.changes; ++n) {
      Box box(update.script);
      box.gate.cutAfter = n;
      box.run("silent");
      box.gate.restore();
      // The next start, from the media again: the user cancels at the start
      // dialog, so all that remains is what the start put right.
      box.ui.startResult = kIdCancel;
      EXPECT_EQ(box.run(nullptr), kExitCancelled) << update.name << ", cut after " << n;
      const std::string machine = box.snapshot();
      EXPECT_TRUE(machine == reference.before || machine == reference.after)
          << update.name << ", cut after change " << n << ":\n" << machine;
      before += machine == reference.before;
      after += machine == reference.after;
      EXPECT_TRUE(box.services.services["Worker"].running) << update.name << ", cut after " << n;
      // And the update, run again to its end, is complete.
      EXPECT_EQ(box.run("silent"), kExitSuccess) << update.name << ", cut after " << n;
      EXPECT_EQ(box.snapshot(), reference.after) << update.name << ", cut after " << n;
    }
    EXPECT_GT(before, 0) << update.name;
    EXPECT_GT(after, 0) << update.name;
  }
}

TEST(AllOrNothing, FailureOfEachChangeEndsWith1603AndTheMachineAsBefore) {
  for (const Update& update : kUpdates) {
    const Reference reference = referenceRun(update);
    int failed = 0;
    int firstSuccess = 0;  // the first change whose failure no longer fails the run
    for (int n = 1; n <= reference.changes; ++n) {
      Box box(update.script);
      box.gate.failAt = n;
      const int status = box.run("silent");
      box.gate.restore();
      EXPECT_TRUE(box.services.services["Worker"].running) << update.name << ", change " << n;
      if (status == kExitUpdateFailed) {
        ++failed;
        EXPECT_EQ(firstSuccess, 0) << update.name << ": change " << n << " fails the run after "
                                   << "change " << firstSuccess << " did not";
        EXPECT_EQ(box.snapshot(), reference.before) << update.name << ", change " << n;
        continue;
      }
      // Past the commit only the clean-up can fail: the update stands, and
      // the next start finishes the clean-up.
      EXPECT_EQ(status, kExitSuccess) << update.name << ", change " << n;
      if (firstSuccess == 0) firstSuccess = n;
      box.ui.startResult = kIdCancel;
      box.run(nullptr);
      EXPECT_EQ(box.snapshot(), reference.after) << update.name << ", change " << n;
    }
    EXPECT_GT(failed, reference.changes / 2) << update.name;
  }
}

}  // namespace
}  // namespace quillet
