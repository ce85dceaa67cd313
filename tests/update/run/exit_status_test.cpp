// Every end of the run and the exit status it leaves, read back through
// ExitInstance as the program's entry point returns it.
#include <functional>

#include <gtest/gtest.h>

#include "tests/update/run/run_test_support.h"
#include "update/run/exit_status.h"

namespace quillet {
namespace {

struct EndCase {
  const char* end;
  const char* commandLine;
  std::function<void(RunFixture&)> arrange;
  int status;
  const char* lastCall;  // the last thing the run did, to show it ended where meant
};

TEST(RunExitStatus, EachEndOfTheRunHasItsOwnStatus) {
  const auto script = [](std::function<void(UpdateJob&)> edit) {
    return [edit](RunFixture& f) { f.operations.script = edit; };
  };
  const EndCase cases[] = {
      {"silent success", "silent", [](RunFixture&) {}, kExitSuccess, "executeUpdate"},
      {"interactive success", nullptr, [](RunFixture&) {}, kExitSuccess, "done"},
      {"restart asked for", "silent", script([](UpdateJob& j) { j.rebootRequired = 1; }),
       kExitSuccessRestartRequired, "restart"},
      {"restart declined", nullptr,
       [](RunFixture& f) {
         f.operations.script = [](UpdateJob& j) { j.rebootRequired = 1; };
         f.ui.modalResult = kIdCancel;
       },
       kExitSuccessRestartRequired, "restart"},
      {"listed service down", "silent", [](RunFixture& f) { f.operations.servicesDown = 1; },
       kExitServiceNotRunning, "executeUpdate"},
      {"listed service down, restart", "silent",
       [](RunFixture& f) {
         f.operations.servicesDown = 1;
         f.operations.script = [](UpdateJob& j) { j.rebootRequired = 1; };
       },
       kExitServiceNotRunning, "restart"},
      {"copy failed, listed service down", "silent",
       [](RunFixture& f) { f.operations.servicesDown = 1, f.operations.executeResult = 0; },
       kExitUpdateFailed, "message"},
      {"start dialog cancelled", nullptr, [](RunFixture& f) { f.ui.startResult = kIdCancel; },
       kExitCancelled, "start"},
      {"copy failed", "silent", [](RunFixture& f) { f.operations.executeResult = 0; },
       kExitUpdateFailed, "message"},
      {"uninstall record failed", "silent",
       [](RunFixture& f) {
         f.operations.script = [](UpdateJob& j) { j.workFolders[j.workFolderCount++] = "C:\\P\\w"; };
         f.operations.recordFailsAt = 0;
       },
       kExitUpdateFailed, "message"},
      {"another copy runs", "silent",
       [](RunFixture& f) { f.system.heldElsewhere.insert(kInstanceGuardName); },
       kExitAnotherCopyRunning, kGuardCall.c_str()},
      {"guard not made", "silent", [](RunFixture& f) { f.system.failCreate = true; },
       kExitUpdateFailed, kGuardCall.c_str()},
      {"no product key", "silent", [](RunFixture& f) { f.operations.productResult = 0; },
       kExitNotInstalled, "readInstalledProduct"},
      {"folder missing", "silent", [](RunFixture& f) { f.operations.foldersResult = 0; },
       kExitNotInstalled, "message"},
      {"script unreadable", "silent", [](RunFixture& f) { f.operations.scriptResult = 0; },
       kExitScriptUnreadable, "message"},
      {"media refused", "silent", [](RunFixture& f) { f.operations.mediaResult = 0; },
       kExitMediaRefused, "message"},
      {"model refused", "silent", script([](UpdateJob& j) { j.targetModelMask = 0x2; }),
       kExitModelRefused, "message"},
      {"version refused", "silent", script([](UpdateJob& j) { j.versionLower = 306; }),
       kExitVersionRefused, "versionAbort"},
      {"no administrator", "silent",
       [](RunFixture& f) { f.services.administrator = false; }, kExitNoAdministratorRights,
       "adminAbort"},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.end);
    RunFixture f;
    c.arrange(f);
    EXPECT_EQ(f.run(c.commandLine), 0) << "no message loop follows any end";
    EXPECT_EQ(f.log.back(), c.lastCall);
    EXPECT_EQ(f.app->ExitInstance(), c.status);
  }
}

}  // namespace
}  // namespace quillet
