// The installed-product facts and the base folders, read through the Win32
// registry and system adapters from values this test writes into its prefix.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "update/run/preconditions.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_registry.h"
#include "update/win32/win32_system.h"

namespace quillet {
namespace {

const char kProduct[] = "SOFTWARE\\norvane\\Plexor";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void setText(const char* keyPath, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class ProductKey : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProduct);
    setText(kProduct, nullptr, "WZ");
    setText(kProduct, "ProductName", "\x83\x76\x83\x8C\x83\x4E\x83\x58");  // プレクス
    setText(kProduct, "VersionNo", "3.05");
    setText(kProduct, "CopypoolPath", "C:\\P\\Copypool");
    setText(kProduct, "InetPubPath", "C:\\inetpub\\wwwroot");
    setText(kShellFolders, "Common Programs", "C:\\All\\Programs");
    setText(kShellFolders, "Common Desktop", "C:\\All\\Desktop");
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProduct); }

  Win32Registry registry;
  Win32System system;
  Win32CodePage codePage;
};

TEST_F(ProductKey, ProductFactsComeFromTheRealRegistry) {
  InstalledProduct product;
  ASSERT_EQ(readInstalledProduct(product, registry, codePage), 1);
  EXPECT_EQ(product.installedMajor, 3);
  EXPECT_EQ(product.installedMinor, 5);
  EXPECT_EQ(product.installedMakerCode, 1);
  EXPECT_EQ(product.programGroupName, "\x83\x76\x83\x8C\x83\x4E\x83\x58");
  EXPECT_EQ(installedModelMask(product), 0x10000);
}

TEST_F(ProductKey, FoldersComeFromTheProductKeyShellFoldersAndSystem) {
  UpdateJob* job = new UpdateJob;
  ASSERT_EQ(resolveFolders(*job, registry, system, codePage), 1);
  char systemDir[MAX_PATH] = {};
  GetSystemDirectoryA(systemDir, MAX_PATH);
  EXPECT_EQ(job->sourceDir, ".") << "this program file is not Quillet.exe";
  EXPECT_EQ(job->workDir, "C:\\P");
  EXPECT_EQ(job->toolDir, "C:\\P\\tool");
  EXPECT_EQ(job->systemDir, systemDir);
  EXPECT_EQ(job->iisDir, "C:\\inetpub\\wwwroot");
  EXPECT_EQ(job->commonProgramsDir, "C:\\All\\Programs");
  EXPECT_EQ(job->commonDesktopDir, "C:\\All\\Desktop");
  delete job;
}

TEST_F(ProductKey, MissingPublishingFolderFailsTheFolders) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProduct, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "InetPubPath");
  RegCloseKey(key);
  UpdateJob* job = new UpdateJob;
  EXPECT_EQ(resolveFolders(*job, registry, system, codePage), 0);
  delete job;
}

TEST_F(ProductKey, MissingKeyMeansNoProduct) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProduct);
  InstalledProduct product;
  EXPECT_EQ(readInstalledProduct(product, registry, codePage), 0);
}

}  // namespace
}  // namespace quillet
