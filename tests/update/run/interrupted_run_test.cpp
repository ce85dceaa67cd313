// All or nothing: a realistic update cut off after each of its changes (the
// power, or the process, gone) and followed by a fresh start of the tool
// leaves the machine exactly as before or exactly as after, with its service
// running; a failure of each change ends with 1603 and the machine exactly as
// before. One table of updates drives both loops.
#include <algorithm>
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

// What else runs on the machine while it is updated.
enum Machine : int {
  kQuiet = 0,
  kServiceHoldsModule = 1,  // Worker runs from C:\P\bin\a.dll
  kOtherHoldsNewFile = 2,   // an unlisted service loads the C:\P\bin\b.dll the update adds
  kTargetHeldOpen = 4,      // another program holds a.dll open, sharing writes
  kForeignText = 8,         // values whose name or text the ANSI code page lacks
};

// UTF-16LE of "Owner—" and of "Zoë €", as the exact registry calls take them.
const std::string kForeignName("O\0w\0n\0e\0r\0\x14\x20", 12);
const std::string kForeignData("Z\0o\0\xeb\0 \0\xac\x20\0\0", 12);

struct Update {
  const char* name;
  const char* script;
  int machine;
};

const char kFirstScript[] =
    "Admin:0\r\nstopSvc:Worker\r\nstartSvc:Worker\r\nfolderInWork:logs\r\n"
     "file:a.dll\r\npxmenulnkname:Viewer\r\ntoWork:bin\r\nfile:b.dll\r\ntoWork:logs\r\n"
     "remove:old\r\ntoWork:\r\nremove:*.tmp\r\ntoWork:\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\Configuration\r\nsetName:SpoolMode\r\naddDWORDValue:2\r\n"
     "setName:BannerMode\r\naddSZValue:on\r\nsetKey:SOFTWARE\\norvane\\Plexor\r\n"
     "delSubKey:Obsolete\r\nPatchDelAll:\r\nPatchID:105\r\nPatchName:Fix 105\r\nPatchSetInfo:\r\n";
const char kSecondScript[] =
    "Admin:0\r\nstopSvc:Worker\r\nstartSvc:Worker\r\noverwrite:a.dll\r\ntoWork:bin\r\n"
     "file:b.dll\r\ndesktopname:Fresh\r\ntoWork:bin\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\Configuration\r\nsetName:SpoolMode\r\ndelName:\r\n"
     "setKey:SOFTWARE\\norvane\\Plexor\\New\\Deeper\r\nsetName:Mode\r\naddSZValue:x\r\n"
     "PatchDelTo:100\r\nPatchID:101\r\nPatchName:Fix 101\r\nPatchSetInfo:\r\n";

const Update kUpdates[] = {
    {"files, removed tree and wildcard, registry, records, link, service", kFirstScript, kQuiet},
    {"overwrite of a read-only file, new key path, deleted value, records up to, desktop link",
     kSecondScript, kQuiet},
    {"the listed service runs from the file replaced", kFirstScript, kServiceHoldsModule},
    {"an unlisted service loads a file the update adds", kSecondScript,
     kServiceHoldsModule | kOtherHoldsNewFile},
    {"the replaced file held open by another program", kFirstScript, kTargetHeldOpen},
    {"text outside the code page in a changed value and a deleted key", kFirstScript,
     kForeignText},
};

struct Box : FakeMachine {
  explicit Box(const Update& update) : Box(update.script) {
    if (update.machine & kServiceHoldsModule) services.services["Worker"].module = "C:\\P\\bin\\a.dll";
    if (update.machine & kOtherHoldsNewFile) {
      services.services["Helper"].module = "C:\\P\\bin\\b.dll";
    }
    if (update.machine & kTargetHeldOpen) files.holdOpenSharingWrite("C:\\P\\bin\\a.dll");
    if (update.machine & kForeignText) {
      registry.setExact(std::string(kProduct) + "\\Configuration", registry.exactName("BannerMode"),
                        kRegSz, kForeignData);
      registry.setExact(std::string(kProduct) + "\\Obsolete\\Deep", kForeignName, kRegSz,
                        kForeignData);
    }
    services.syncModules();
  }
  explicit Box(const char* script) {
    registry.setString(kProduct, "", "WZ");
    registry.setString(kProduct, "ProductName", kPlexorSjis);
    registry.setString(kProduct, "VersionNo", "3.05");
    registry.setString(kProduct, "CopypoolPath", "C:\\P\\Copypool");
    registry.setString(kProduct, "InetPubPath", "C:\\inetpub");
    registry.setDword(std::string(kProduct) + "\\Configuration", "SpoolMode", 1);
    registry.setString(std::string(kProduct) + "\\Obsolete\\Deep", "Left", "over");
    // A value name far past MAX_PATH, in a key the first update deletes.
    registry.setString(std::string(kProduct) + "\\Obsolete\\Deep", std::string(600, 'n'), "long");
    registry.setString(std::string(kProduct) + "\\Obsolete\\Deep", "After", "it");
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
    services.files = &files;
  }

  // The machine started again (what a restart deletes, gone; modules loaded
  // anew), then its snapshot.
  std::string restartedSnapshot() {
    gate.cut = true;
    gate.restore();
    return snapshot();
  }
  // Whether Worker runs, from the a.dll installed now.
  bool workerRunsInstalledFile() {
    const FakeService& worker = services.services["Worker"];
    return worker.running &&
           (worker.module.empty() || worker.loadedModule == files.idOf(worker.module));
  }
  // The journal's value names, in order.
  std::vector<std::string> journalEntries() {
    std::vector<std::string> names;
    for (const std::string& name : registry.valueNames(kJournalKeyPath)) {
      if (name != "State" && name != "Owner") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
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
      std::string exactName;
      std::string exactBytes;
      registry.exactValue(path, name, &exactName, &exactBytes);
      *text += "  " + name + " " + std::to_string(type) + " " + bytes + " exact " + exactName +
               " " + exactBytes + "\n";
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
  int commitChange = 0;  // the flush that puts the commit on the disk
};

Reference referenceRun(const Update& update) {
  Box box(update);
  Reference reference;
  reference.before = box.snapshot();
  box.gate.beforeChange = [&box, &reference] {
    std::uint32_t type = 0;
    std::string state;
    if (reference.commitChange == 0 &&
        box.registry.rawValue(kJournalKeyPath, "State", &type, &state) && state[0] == 2) {
      reference.commitChange = box.gate.changes + 1;
    }
  };
  EXPECT_EQ(box.run("silent"), kExitSuccess) << update.name;
  EXPECT_GT(reference.commitChange, 0) << update.name;
  reference.after = box.snapshot();
  reference.changes = box.gate.changes;
  EXPECT_NE(reference.after, reference.before) << update.name;
  EXPECT_EQ(reference.after.find("UpdateJournal"), std::string::npos) << update.name;
  EXPECT_EQ(reference.after.find("~qt"), std::string::npos) << update.name;
  return reference;
}

// The next start, from the media again: the user cancels at the start
// dialog, so all that remains is what the start put right. Then the machine
// restarts; its snapshot.
std::string afterNextStart(Box& box, const std::string& label) {
  box.ui.startResult = kIdCancel;
  EXPECT_EQ(box.run(nullptr), kExitCancelled) << label;
  EXPECT_TRUE(box.workerRunsInstalledFile()) << label;
  return box.restartedSnapshot();
}

TEST(AllOrNothing, PowerCutAfterEachChangeThenAFreshStartLeavesBeforeOrAfter) {
  for (const Update& update : kUpdates) {
    const Reference reference = referenceRun(update);
    ASSERT_GT(reference.changes, 20) << update.name;
    int before = 0;
    int after = 0;
    int refused = 0;
    for (int n = 0; n <= reference.changes; ++n) {
      // torn: the journal entry the cut hits lands half written.
      for (const bool torn : {false, true}) {
        const std::string label = std::string(update.name) + ", cut after change " +
                                  std::to_string(n) + (torn ? " (torn)" : "");
        Box box(update);
        box.gate.cutAfter = n;
        box.gate.tornWrite = torn;
        box.run("silent");
        box.gate.restore();
        const std::string machine = afterNextStart(box, label);
        EXPECT_TRUE(machine == reference.before || machine == reference.after)
            << label << ":\n" << machine;
        before += machine == reference.before;
        after += machine == reference.after;
        // And the update, run again to its end, is complete.
        EXPECT_EQ(box.run("silent"), kExitSuccess) << label;
        EXPECT_EQ(box.restartedSnapshot(), reference.after) << label;
      }
      if (n % 8 != 0) continue;
      // A cut at each step of the next start's recovery, and a start after it.
      for (int k = 0;; ++k) {
        const std::string label = std::string(update.name) + ", cut after change " +
                                  std::to_string(n) + ", recovery cut after " + std::to_string(k);
        Box box(update);
        box.gate.cutAfter = n;
        box.run("silent");
        box.gate.restore();
        box.gate.cutAfter = k;
        box.ui.startResult = kIdCancel;
        box.run(nullptr);
        const bool cutInRecovery = box.gate.cut;
        box.gate.restore();
        const std::string machine = afterNextStart(box, label);
        EXPECT_TRUE(machine == reference.before || machine == reference.after)
            << label << ":\n" << machine;
        if (!cutInRecovery) break;
      }
      // A journal from a newer version: refused, and nothing changes.
      Box box(update);
      box.gate.cutAfter = n;
      box.run("silent");
      box.gate.restore();
      const std::vector<std::string> entries = box.journalEntries();
      if (entries.empty()) continue;
      std::uint32_t type = 0;
      std::string bytes;
      box.registry.rawValue(kJournalKeyPath, entries.front(), &type, &bytes);
      bytes[2] = static_cast<char>(kJournalFormat + 1);
      box.registry.setRaw(kJournalKeyPath, entries.front(), type, bytes);
      const std::string cut = box.snapshot();
      EXPECT_EQ(box.run("silent"), kExitUpdateFailed) << update.name << ", newer journal " << n;
      EXPECT_EQ(box.snapshot(), cut) << update.name << ", newer journal " << n;
      ++refused;
    }
    EXPECT_GT(before, 0) << update.name;
    EXPECT_GT(after, 0) << update.name;
    EXPECT_GT(refused, 0) << update.name;
  }
}

TEST(AllOrNothing, FailureOfEachChangeEndsWith1603AndTheMachineAsBefore) {
  for (const Update& update : kUpdates) {
    const Reference reference = referenceRun(update);
    int failed = 0;
    int renamedInUse = 0;
    for (int n = 1; n <= reference.changes; ++n) {
      const std::string label = std::string(update.name) + ", change " + std::to_string(n);
      Box box(update);
      box.gate.failAt = n;
      const int status = box.run("silent");
      box.gate.restore();
      EXPECT_TRUE(box.workerRunsInstalledFile()) << label;
      if (status == kExitUpdateFailed) {
        ++failed;
        // Once the commit is written, nothing may fail the run any more.
        EXPECT_LE(n, reference.commitChange) << label << " fails the run after its commit";
        renamedInUse += !box.files.restartDeletes.empty();
        for (const std::string& aside : box.files.restartDeletes) {  // set aside once, by a name
          EXPECT_EQ(aside.find("~qt"), aside.rfind("~qt")) << label;  // no older entry names
        }
        EXPECT_EQ(box.restartedSnapshot(), reference.before) << label;
        // A cut at each step of the rollback, and the next start.
        for (int k = 1; n % 5 == 0; ++k) {
          Box cutBox(update);
          cutBox.gate.failAt = n;
          cutBox.gate.cutAfter = n + k;
          cutBox.run("silent");
          const bool cutInRollback = cutBox.gate.cut;
          cutBox.gate.restore();
          EXPECT_EQ(afterNextStart(cutBox, label), reference.before)
              << label << ", rollback cut after " << k;
          if (!cutInRollback) break;
        }
        continue;
      }
      // Past the commit only the clean-up can fail: the update stands, and
      // the next start finishes the clean-up.
      EXPECT_EQ(status, kExitSuccess) << label;
      // A restart and the next start finish what the run left (a clean-up,
      // an erase not yet on the disk).
      box.restartedSnapshot();
      box.ui.startResult = kIdCancel;
      box.run(nullptr);
      EXPECT_EQ(box.restartedSnapshot(), reference.after) << label;
    }
    EXPECT_GT(failed, reference.changes / 2) << update.name;
    EXPECT_EQ(renamedInUse > 0, (update.machine & kOtherHoldsNewFile) != 0) << update.name;
  }
}

}  // namespace
}  // namespace quillet
