#include <gtest/gtest.h>

#include "tests/fakes/fake_registry.h"
#include "update/run/preconditions.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

const char kKey[] = "SOFTWARE\\norvane\\Plexor";

class InstalledProductTest : public ::testing::Test {
 protected:
  FakeRegistry registry;
  Cp932CodePage cp;
  InstalledProduct product;

  int read() { return readInstalledProduct(product, registry, cp); }
};

TEST_F(InstalledProductTest, MissingKeyFailsAndResetsTheFacts) {
  product.installedMajor = 9;
  product.installedEdition = 3;
  product.programGroupName = "Old";
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(product.installedMajor, 0);
  EXPECT_EQ(product.installedEdition, 0);
  EXPECT_EQ(product.programGroupName, "Plexor");
}

TEST_F(InstalledProductTest, EmptyKeyGivesDefaults) {
  registry.createKeyPath(kKey);
  EXPECT_EQ(read(), 1);
  EXPECT_EQ(product.installedMajor, 0);
  EXPECT_EQ(product.installedMinor, 0);
  EXPECT_EQ(product.installedMakerCode, 0);
  EXPECT_EQ(product.installedEdition, 0);
  EXPECT_EQ(product.programGroupName, "Plexor");
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(InstalledProductTest, ReadsEveryValue) {
  registry.setString(kKey, "", "JX");
  registry.setString(kKey, "ProductName", "Plexor Pro");
  registry.setString(kKey, "VersionNo", "2.05");
  registry.setDword(kKey, "Edition", 4);
  EXPECT_EQ(read(), 1);
  EXPECT_EQ(product.installedMakerCode, 3);
  EXPECT_EQ(product.programGroupName, "Plexor Pro");
  EXPECT_EQ(product.installedMajor, 2);
  EXPECT_EQ(product.installedMinor, 5);
  EXPECT_EQ(product.installedEdition, 4);
  EXPECT_EQ(installedVersionOf(product), 205);
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(InstalledProductTest, MakerCodesMatchExactly) {
  const struct {
    const char* text;
    int code;
  } cases[] = {{"WZ", 1}, {"JX", 3}, {"QZ", 5}, {"wz", 0}, {"WZ ", 0}, {"QK", 0}, {"", 0}};
  for (const auto& c : cases) {
    registry.setString(kKey, "", c.text);
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(product.installedMakerCode, c.code) << c.text;
  }
}

TEST_F(InstalledProductTest, EmptyProductNameKeepsTheDefault) {
  registry.setString(kKey, "ProductName", "");
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(product.programGroupName, "Plexor");
}

TEST_F(InstalledProductTest, OverlongProductNameIsNotRead) {
  registry.setString(kKey, "ProductName", std::string(300, 'n'));  // needs 301 bytes
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(product.programGroupName, "Plexor");
}

TEST_F(InstalledProductTest, UnterminatedProductNameFillingTheBufferIsCut) {
  // 260 bytes without a terminating zero: taken as 259 bytes, never more.
  registry.setRaw(kKey, "ProductName", kRegSz, std::string(260, 'm'));
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(product.programGroupName, std::string(259, 'm'));
  // A two-byte character across the cut is dropped whole.
  registry.setRaw(kKey, "ProductName", kRegSz, std::string(258, 'm') + "\x95\x5C");
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(product.programGroupName, std::string(258, 'm'));
}

TEST_F(InstalledProductTest, ValueTypesAreNotChecked) {
  registry.setRaw(kKey, "VersionNo", kRegBinary, std::string("3.10\0", 5));
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(installedVersionOf(product), 310);
}

TEST_F(InstalledProductTest, VersionNoParsing) {
  const struct {
    const char* text;
    int major, minor;
  } cases[] = {{"2.10", 2, 10}, {"2.1", 2, 10}, {"2.05", 2, 5}, {"2", 2, 0},
               {"2.a5", 2, 0},  {"2.123", 2, 12}, {"x2.10", 0, 0}, {"", 0, 0},
               {"10.5b", 10, 50}};
  for (const auto& c : cases) {
    registry.setString(kKey, "VersionNo", c.text);
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(product.installedMajor, c.major) << c.text;
    EXPECT_EQ(product.installedMinor, c.minor) << c.text;
  }
}

TEST_F(InstalledProductTest, HugeVersionNoSaturates) {
  registry.setString(kKey, "VersionNo", "123456789012.34");
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(product.installedMajor, kMaxVersionMajor);
  EXPECT_EQ(product.installedMinor, 34);
  EXPECT_EQ(installedVersionOf(product), kMaxVersionMajor * 100 + 34);
}

TEST_F(InstalledProductTest, EditionFromDwordOrOneDigitText) {
  const struct {
    std::uint32_t type;
    std::string bytes;
    int edition;
  } cases[] = {
      {kRegDword, std::string("\x01\0\0\0", 4), 1},
      {kRegDword, std::string("\x07\0\0\0", 4), 7},
      {kRegDword, std::string("\x08\0\0\0", 4), 0},
      {kRegDword, std::string("\x00\0\0\0", 4), 0},
      {kRegDword, std::string("\x01\0\0\x01", 4), 0},
      {kRegSz, std::string("5\0", 2), 5},
      {kRegSz, std::string("6", 1), 6},
      {kRegSz, std::string("8\0", 2), 0},
      {kRegSz, std::string("05\0", 3), 0},
      {kRegSz, std::string("\0", 1), 0},
      {kRegBinary, std::string("\x03\0\0\0", 4), 0},
      {kRegSz, std::string(40, '3'), 0},  // does not fit: not read
  };
  for (const auto& c : cases) {
    registry.setRaw(kKey, "Edition", c.type, c.bytes);
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(product.installedEdition, c.edition) << c.type << " " << c.bytes.size();
  }
}

TEST_F(InstalledProductTest, UnreadableKeyFails) {
  registry.createKeyPath(kKey);
  registry.injectFailure(FakeRegistry::Op::Open, kKey);
  EXPECT_EQ(read(), 0);
}

}  // namespace
}  // namespace quillet
