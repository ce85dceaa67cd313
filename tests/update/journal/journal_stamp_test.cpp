// The CRC-32 the journal judges its entries and kept copies by, against the
// values zlib gives (python3: zlib.crc32), over one piece and many.
#include <gtest/gtest.h>

#include "tests/fakes/fake_file_system.h"
#include "update/journal/journal_entry.h"
#include "update/journal/journal_undo.h"

namespace quillet {
namespace {

TEST(JournalStamp, MatchesTheStandardCrc32InOnePieceAndInMany) {
  EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(crc32("123456789", 4), crc32("1234", 99));  // the size counts, up to the text's
  FakeFileSystem files;
  std::string large(200000, '\0');  // three pieces and a part
  for (std::size_t i = 0; i < large.size(); ++i) {
    large[i] = static_cast<char>((i * 7 + i / 251) & 255);
  }
  files.addFile("C:\\P\\large.bin", large);
  files.addFile("C:\\P\\empty.bin", "");
  std::string stamp;
  ASSERT_TRUE(stampFile(files, "C:\\P\\large.bin", &stamp));
  EXPECT_EQ(stamp, "200000 ad4bc2f8");
  ASSERT_TRUE(stampFile(files, "C:\\P\\empty.bin", &stamp));
  EXPECT_EQ(stamp, "0 00000000");
  EXPECT_FALSE(stampFile(files, "C:\\P\\gone.bin", &stamp));
}

}  // namespace
}  // namespace quillet
