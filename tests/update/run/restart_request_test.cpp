#include "update/run/restart_request.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using ::testing::ElementsAre;

// Logs each call; the results are scripted.
class ScriptedShutdown : public ShutdownCalls {
 public:
  bool openOwnToken() override {
    log.push_back("open token");
    return tokenOpens;
  }
  void lookUpShutdownPrivilege() override { log.push_back("look up"); }
  bool setShutdownPrivilege(bool enabled) override {
    log.push_back(enabled ? "enable" : "disable");
    return enabled ? enableSucceeds : disableSucceeds;
  }
  bool requestRestart() override {
    log.push_back("restart");
    return restartAccepted;
  }
  void closeToken() override { log.push_back("close token"); }

  bool tokenOpens = true;
  bool enableSucceeds = true;
  bool disableSucceeds = true;
  bool restartAccepted = true;
  std::vector<std::string> log;
};

TEST(RestartRequest, AcceptedRequestEnablesRestartsDisablesAndCloses) {
  ScriptedShutdown calls;
  EXPECT_EQ(requestComputerRestart(calls), 0);
  EXPECT_THAT(calls.log,
              ElementsAre("open token", "look up", "enable", "restart", "disable", "close token"));
}

TEST(RestartRequest, TokenThatCannotBeOpenedIsMinusOneWithoutFurtherCalls) {
  ScriptedShutdown calls;
  calls.tokenOpens = false;
  EXPECT_EQ(requestComputerRestart(calls), -1);
  EXPECT_THAT(calls.log, ElementsAre("open token"));
}

TEST(RestartRequest, PrivilegeThatCannotBeEnabledIsMinusTwoAndNoRestartIsAsked) {
  ScriptedShutdown calls;
  calls.enableSucceeds = false;
  EXPECT_EQ(requestComputerRestart(calls), -2);
  EXPECT_THAT(calls.log, ElementsAre("open token", "look up", "enable", "close token"));
}

TEST(RestartRequest, RefusedRestartIsMinusThreeAndThePrivilegeIsDisabledAgain) {
  // A user without the privilege: enabling "succeeds", the restart does not.
  ScriptedShutdown calls;
  calls.restartAccepted = false;
  EXPECT_EQ(requestComputerRestart(calls), -3);
  EXPECT_THAT(calls.log,
              ElementsAre("open token", "look up", "enable", "restart", "disable", "close token"));
}

TEST(RestartRequest, FailureToDisableAgainDoesNotChangeTheResult) {
  ScriptedShutdown calls;
  calls.disableSucceeds = false;
  EXPECT_EQ(requestComputerRestart(calls), 0);
  calls.restartAccepted = false;
  EXPECT_EQ(requestComputerRestart(calls), -3);
}

}  // namespace
}  // namespace quillet
