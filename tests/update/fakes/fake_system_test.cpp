#include "tests/fakes/fake_system.h"

#include <gtest/gtest.h>

#include "update/ports/status_codes.h"

namespace quillet {
namespace {

TEST(FakeSystemTest, ModulesEnvironmentAndVersionAnswers) {
  FakeSystem sys;
  std::string path;
  EXPECT_FALSE(sys.moduleFileName("Quillet.exe", &path));
  sys.setModule("Quillet.exe", "D:\\upd\\Quillet.exe");
  ASSERT_TRUE(sys.moduleFileName("QUILLET.EXE", &path));
  EXPECT_EQ(path, "D:\\upd\\Quillet.exe");
  std::string value;
  EXPECT_TRUE(sys.environmentVariable("windir", &value));
  sys.clearEnvironment("WINDIR");
  EXPECT_FALSE(sys.environmentVariable("WINDIR", &value));
  sys.queueOsMajorVersions({4, 5});
  EXPECT_EQ(sys.osMajorVersion(), 4);
  EXPECT_EQ(sys.osMajorVersion(), 5);
  EXPECT_EQ(sys.osMajorVersion(), 5);
  EXPECT_EQ(sys.osMajorVersionCalls(), 3);
}

TEST(FakeSystemTest, SecondSemaphoreOfTheSameNameReportsAlreadyExists) {
  FakeSystem sys;
  long error = -1;
  auto first = sys.createSemaphore("Quillet", &error);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(error, kErrorSuccess);
  auto second = sys.createSemaphore("Quillet", &error);
  EXPECT_EQ(error, kErrorAlreadyExists);
  second.reset();
  EXPECT_TRUE(sys.semaphoreHeld("Quillet"));
  first.reset();
  EXPECT_FALSE(sys.semaphoreHeld("Quillet"));
  sys.createSemaphore("Quillet", &error);
  EXPECT_EQ(error, kErrorSuccess);
}

}  // namespace
}  // namespace quillet
