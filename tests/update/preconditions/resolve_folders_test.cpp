#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_system.h"
#include "update/run/preconditions.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

const char kKey[] = "SOFTWARE\\norvane\\Plexor";
const char kShell[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class ResolveFoldersTest : public ::testing::Test {
 public:
  FakeRegistry registry;
  FakeSystem system;
  Cp932CodePage cp;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();

  void SetUp() override {
    system.setModule("Quillet.exe", "E:\\upd\\Quillet.exe");
    system.setSystemDirectory("C:\\WINNT\\system32");
    system.setEnvironment("WINDIR", "C:\\WINNT");
    registry.setString(kKey, "CopypoolPath", "C:\\P\\Copypool");
    registry.setString(kKey, "InetPubPath", "C:\\Inetpub\\wwwroot");
    registry.setString(kShell, "Common Programs", "C:\\All\\Programs");
    registry.setString(kShell, "Common Desktop", "C:\\All\\Desktop");
  }
  int resolve() { return resolveFolders(*job, registry, system, cp); }
};

TEST_F(ResolveFoldersTest, EveryFolderFound) {
  ASSERT_EQ(resolve(), 1);
  EXPECT_EQ(job->sourceDir, "E:\\upd");
  EXPECT_EQ(job->workDir, "C:\\P");
  EXPECT_EQ(job->toolDir, "C:\\P\\tool");
  EXPECT_EQ(job->systemDir, "C:\\WINNT\\system32");
  EXPECT_EQ(job->iisDir, "C:\\Inetpub\\wwwroot");
  EXPECT_EQ(job->commonProgramsDir, "C:\\All\\Programs");
  EXPECT_EQ(job->commonDesktopDir, "C:\\All\\Desktop");
  // Each value is read through its own key handle, closed right after.
  EXPECT_EQ(registry.callCount(FakeRegistry::Op::Open), 5);
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(ResolveFoldersTest, SourceFolderIsDotWhenTheProgramHasAnotherName) {
  FakeSystem other;
  other.setSystemDirectory("C:\\WINNT\\system32");
  ASSERT_EQ(resolveFolders(*job, registry, other, cp), 1);
  EXPECT_EQ(job->sourceDir, ".");
}

TEST_F(ResolveFoldersTest, ShiftJisFoldersAreCutAtRealBackslashes) {
  system.setModule("Quillet.exe", "E:\\\x95\x5C\\Quillet.exe");
  registry.setString(kKey, "CopypoolPath", "C:\\\x83\x5C\\\x94\x5C");
  ASSERT_EQ(resolve(), 1);
  EXPECT_EQ(job->sourceDir, "E:\\\x95\x5C");
  EXPECT_EQ(job->workDir, "C:\\\x83\x5C");
  EXPECT_EQ(job->toolDir, "C:\\\x83\x5C\\tool");
}

TEST_F(ResolveFoldersTest, CopypoolPathWithoutBackslash) {
  registry.setString(kKey, "CopypoolPath", "Copypool");
  ASSERT_EQ(resolve(), 1);
  EXPECT_EQ(job->workDir, "");
  EXPECT_EQ(job->toolDir, "tool");
}

TEST_F(ResolveFoldersTest, EachMissingPieceFailsAndLeavesLaterFoldersAlone) {
  struct Step {
    const char* what;
    void (*breakIt)(ResolveFoldersTest&);
    bool workSet, systemSet, iisSet, programsSet;
  } steps[] = {
      {"CopypoolPath",
       [](ResolveFoldersTest& t) { t.registry.removeKeyPath(kKey); }, false, false, false,
       false},
      {"system folder", [](ResolveFoldersTest& t) { t.system.clearSystemDirectory(); }, true,
       false, false, false},
      {"WINDIR", [](ResolveFoldersTest& t) { t.system.clearEnvironment("WINDIR"); }, true, true,
       false, false},
      {"InetPubPath",
       [](ResolveFoldersTest& t) {
         t.registry.setString(kKey, "CopypoolPath", "C:\\P\\Copypool");
         RegKey key = 0;
         t.registry.openKey(kLocalMachine, kKey, kKeySetValue, &key);
         t.registry.deleteValue(key, "InetPubPath");
         t.registry.closeKey(key);
       },
       true, true, false, false},
      {"Common Programs",
       [](ResolveFoldersTest& t) { t.registry.removeKeyPath(kShell); }, true, true, true,
       false},
  };
  for (const Step& s : steps) {
    SetUp();
    job = std::make_unique<UpdateJob>();
    s.breakIt(*this);
    EXPECT_EQ(resolve(), 0) << s.what;
    EXPECT_EQ(job->sourceDir, "E:\\upd") << s.what;
    EXPECT_EQ(!job->workDir.empty(), s.workSet) << s.what;
    EXPECT_EQ(!job->systemDir.empty(), s.systemSet) << s.what;
    EXPECT_EQ(!job->iisDir.empty(), s.iisSet) << s.what;
    EXPECT_EQ(!job->commonProgramsDir.empty(), s.programsSet) << s.what;
    EXPECT_EQ(registry.openHandleCount(), 0) << s.what;
  }
}

TEST_F(ResolveFoldersTest, MissingCommonDesktopFails) {
  RegKey key = 0;
  registry.openKey(kLocalMachine, kShell, kKeySetValue, &key);
  registry.deleteValue(key, "Common Desktop");
  registry.closeKey(key);
  EXPECT_EQ(resolve(), 0);
  EXPECT_EQ(job->commonProgramsDir, "C:\\All\\Programs");
  EXPECT_EQ(job->commonDesktopDir, "");
}

TEST_F(ResolveFoldersTest, FolderValuesUseA520ByteBuffer) {
  registry.setString(kKey, "InetPubPath", std::string(519, 'i'));  // 520 with the zero
  ASSERT_EQ(resolve(), 1);
  EXPECT_EQ(job->iisDir.size(), 519u);
  registry.setString(kKey, "InetPubPath", std::string(520, 'i'));
  EXPECT_EQ(resolve(), 0);
}

}  // namespace
}  // namespace quillet
