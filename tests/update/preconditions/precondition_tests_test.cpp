#include <gtest/gtest.h>

#include <memory>

#include "update/run/preconditions.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

class CountingServices : public ServicesPort {
 public:
  bool grant = true;
  int opened = 0;
  int live = 0;
  class Manager : public ServiceManager {
   public:
    explicit Manager(int& live) : live_(live) { ++live_; }
    ~Manager() override { --live_; }
    std::unique_ptr<ServiceHandle> openService(const std::string&) override { return nullptr; }

   private:
    int& live_;
  };
  std::unique_ptr<ServiceManager> openManager() override {
    ++opened;
    if (!grant) return nullptr;
    return std::make_unique<Manager>(live);
  }
};

InstalledProduct productOf(int edition, int maker, int major = 0, int minor = 0) {
  InstalledProduct p;
  p.installedEdition = edition;
  p.installedMakerCode = maker;
  p.installedMajor = major;
  p.installedMinor = minor;
  return p;
}

TEST(ModelTest, EditionsAndMakerCodes) {
  const int byEdition[] = {0, 0x1, 0x2, 0x4, 0x8, 0x10, 0x40000, 0x40000, 0};
  for (int edition = 0; edition <= 8; ++edition)
    EXPECT_EQ(installedModelMask(productOf(edition, 0)), byEdition[edition]) << edition;
  EXPECT_EQ(installedModelMask(productOf(1, 1)), 0x10000);  // "WZ" wins over "QK"
  EXPECT_EQ(installedModelMask(productOf(0, 3)), 0x20000);
  EXPECT_EQ(installedModelMask(productOf(2, 5)), 0x40000);
  EXPECT_EQ(installedModelMask(productOf(-1, 0)), 0);
}

TEST(ModelTest, PassesOnACommonBit) {
  auto job = std::make_unique<UpdateJob>();
  EXPECT_EQ(modelTestPasses(productOf(3, 0), *job), 1);  // default: every model
  EXPECT_EQ(modelTestPasses(productOf(0, 0), *job), 0);  // model unknown
  job->targetModelMask = 0x3;
  EXPECT_EQ(modelTestPasses(productOf(2, 0), *job), 1);
  EXPECT_EQ(modelTestPasses(productOf(3, 0), *job), 0);
  EXPECT_EQ(modelTestPasses(productOf(1, 1), *job), 0);
}

TEST(VersionTest, BoundsAreInclusive) {
  auto job = std::make_unique<UpdateJob>();
  EXPECT_EQ(versionTestPasses(productOf(0, 0), *job), 1);  // no VersionNo, default bounds
  job->versionLower = 300;
  job->versionUpper = 309;
  EXPECT_EQ(versionTestPasses(productOf(0, 0, 3, 0), *job), 1);
  EXPECT_EQ(versionTestPasses(productOf(0, 0, 3, 9), *job), 1);
  EXPECT_EQ(versionTestPasses(productOf(0, 0, 2, 99), *job), 0);
  EXPECT_EQ(versionTestPasses(productOf(0, 0, 3, 10), *job), 0);
}

TEST(VersionTest, AbortLinesBelowTheLowerBound) {
  Cp932CodePage cp;
  auto job = std::make_unique<UpdateJob>();
  job->versionLower = 301;
  InstalledProduct p = productOf(0, 0, 3, 0);
  VersionAbortLines lines = composeVersionAbortLines(p, *job, cp);
  EXPECT_EQ(lines.firstLine, "お使いのPlexorのバージョンは 3.00 です。");
  EXPECT_EQ(lines.secondLine, "このアップデータは 3.01 以上用です。");
}

TEST(VersionTest, AbortLinesAboveTheUpperBoundEvenWithALowerBound) {
  Cp932CodePage cp;
  auto job = std::make_unique<UpdateJob>();
  job->versionLower = 100;
  job->versionUpper = 209;
  InstalledProduct p = productOf(0, 0, 2, 10);
  p.programGroupName = "\x95\x5C\x83\x5C";  // 表ソ in cp932
  VersionAbortLines lines = composeVersionAbortLines(p, *job, cp);
  EXPECT_EQ(lines.firstLine, "お使いの表ソのバージョンは 2.10 です。");
  EXPECT_EQ(lines.secondLine, "このアップデータは 2.09 以下用です。");
}

TEST(VersionTest, DefaultUpperBound100000ShowsAs1000Point00) {
  Cp932CodePage cp;
  auto job = std::make_unique<UpdateJob>();
  InstalledProduct p = productOf(0, 0, 1000, 1);
  EXPECT_EQ(versionTestPasses(p, *job), 0);
  VersionAbortLines lines = composeVersionAbortLines(p, *job, cp);
  EXPECT_EQ(lines.firstLine, "お使いのPlexorのバージョンは 1000.01 です。");
  EXPECT_EQ(lines.secondLine, "このアップデータは 1000.00 以下用です。");
}

TEST(AdministratorTest, ManagerOpensMeansRightsAndIsClosedAtOnce) {
  CountingServices services;
  EXPECT_EQ(hasAdministratorRights(services), 1);
  EXPECT_EQ(services.live, 0);
  services.grant = false;
  EXPECT_EQ(hasAdministratorRights(services), 0);
}

TEST(AdministratorTest, OnlyAskedWhenTheScriptNeedsRights) {
  CountingServices services;
  services.grant = false;
  auto job = std::make_unique<UpdateJob>();
  EXPECT_EQ(administratorTestPasses(*job, services), 0);
  EXPECT_EQ(services.opened, 1);
  job->adminRequired = 0;
  EXPECT_EQ(administratorTestPasses(*job, services), 1);
  EXPECT_EQ(services.opened, 1);
}

}  // namespace
}  // namespace quillet
