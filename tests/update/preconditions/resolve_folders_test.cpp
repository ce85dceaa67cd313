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

// Forwards to the fake registry, but the n-th read of one value name fails
// as if the value were missing: resolveFolders reads "CopypoolPath" twice.
class NthReadFails : public RegistryPort {
 public:
  NthReadFails(FakeRegistry& inner, std::string name, int n)
      : inner_(inner), name_(std::move(name)), n_(n) {}
  long createKey(RegKey p, const std::string& s, std::uint32_t a, RegKey* k) override {
    return inner_.createKey(p, s, a, k);
  }
  long openKey(RegKey p, const std::string& s, std::uint32_t a, RegKey* k) override {
    return inner_.openKey(p, s, a, k);
  }
  long closeKey(RegKey k) override { return inner_.closeKey(k); }
  long queryValue(RegKey k, const std::string& name, std::uint32_t* t, std::uint8_t* d,
                  std::uint32_t* s) override {
    if (name == name_ && ++seen_ == n_) return kErrorFileNotFound;
    return inner_.queryValue(k, name, t, d, s);
  }
  long setValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d,
                std::uint32_t s) override {
    return inner_.setValue(k, n, t, d, s);
  }
  long deleteValue(RegKey k, const std::string& n) override { return inner_.deleteValue(k, n); }
  long deleteKey(RegKey p, const std::string& s) override { return inner_.deleteKey(p, s); }
  long querySubKeyCount(RegKey k, std::uint32_t* c) override {
    return inner_.querySubKeyCount(k, c);
  }
  long enumKey(RegKey k, std::uint32_t i, char* n, std::uint32_t* ns) override {
    return inner_.enumKey(k, i, n, ns);
  }
  long enumValue(RegKey k, std::uint32_t i, char* n, std::uint32_t* ns, std::uint32_t* t,
                 std::uint8_t* d, std::uint32_t* ds) override {
    return inner_.enumValue(k, i, n, ns, t, d, ds);
  }

 private:
  FakeRegistry& inner_;
  std::string name_;
  int n_;
  int seen_ = 0;
};

void deleteValueOf(FakeRegistry& registry, const char* path, const char* name) {
  RegKey key = 0;
  ASSERT_EQ(registry.openKey(kLocalMachine, path, kKeySetValue, &key), kErrorSuccess);
  ASSERT_EQ(registry.deleteValue(key, name), kErrorSuccess);
  registry.closeKey(key);
}

// The folders after sourceDir, in the order they are resolved.
std::string UpdateJob::* const kResolvedInOrder[] = {
    &UpdateJob::toolDir,  &UpdateJob::workDir,           &UpdateJob::systemDir,
    &UpdateJob::iisDir,   &UpdateJob::commonProgramsDir, &UpdateJob::commonDesktopDir,
};
const char* const kResolvedValues[] = {
    "C:\\P\\tool", "C:\\P", "C:\\WINNT\\system32", "C:\\Inetpub\\wwwroot",
    "C:\\All\\Programs", "C:\\All\\Desktop",
};

TEST_F(ResolveFoldersTest, FirstFailureLeavesEveryLaterFolderAsItWas) {
  // Each case breaks one step; `resolved` folders come before it and are set,
  // the rest keep the text they had before the call (not emptied).
  enum Break { kFirstCopypool, kSecondCopypool, kSystemDir, kWindir, kInetPub, kPrograms, kDesktop };
  const struct {
    const char* what;
    Break step;
    int resolved;
  } cases[] = {
      {"first CopypoolPath read", kFirstCopypool, 0},
      {"second CopypoolPath read", kSecondCopypool, 1},
      {"system folder", kSystemDir, 2},
      {"WINDIR", kWindir, 3},
      {"InetPubPath", kInetPub, 3},
      {"Common Programs", kPrograms, 4},
      {"Common Desktop", kDesktop, 5},
  };
  for (const auto& c : cases) {
    SetUp();
    job = std::make_unique<UpdateJob>();
    job->sourceDir = "old source";
    for (auto member : kResolvedInOrder) (*job).*member = "old";
    NthReadFails copypool(registry, "CopypoolPath", c.step == kFirstCopypool ? 1 : 2);
    switch (c.step) {
      case kFirstCopypool:
      case kSecondCopypool: break;
      case kSystemDir: system.clearSystemDirectory(); break;
      case kWindir: system.clearEnvironment("WINDIR"); break;
      case kInetPub: deleteValueOf(registry, kKey, "InetPubPath"); break;
      case kPrograms: deleteValueOf(registry, kShell, "Common Programs"); break;
      case kDesktop: deleteValueOf(registry, kShell, "Common Desktop"); break;
    }
    bool copypoolCase = c.step == kFirstCopypool || c.step == kSecondCopypool;
    int result = copypoolCase ? resolveFolders(*job, copypool, system, cp) : resolve();
    EXPECT_EQ(result, 0) << c.what;
    EXPECT_EQ(job->sourceDir, "E:\\upd") << c.what;  // never fails, always first
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ((*job).*kResolvedInOrder[i], i < c.resolved ? kResolvedValues[i] : "old")
          << c.what << ", folder " << i;
    }
    EXPECT_EQ(registry.openHandleCount(), 0) << c.what;
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
