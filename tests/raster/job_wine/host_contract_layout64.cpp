// The 64-bit layout of the address-carrying records: offsets up to the
// address unchanged, the address at the next 8-byte boundary.
#include <gtest/gtest.h>

#include <cstddef>

#include "raster/job/host_contract.h"

TEST(HostContractLayout64, ScreenRecordsFollowNaturalAlignment) {
  static_assert(sizeof(void*) == 8, "a 64-bit build");
  EXPECT_EQ(offsetof(PlexorScreenEntry, width), 14u);
  EXPECT_EQ(offsetof(PlexorScreenEntry, shift), 18u);
  EXPECT_EQ(offsetof(PlexorScreenEntry, thresholds), 24u);
  EXPECT_EQ(sizeof(PlexorScreenEntry), 32u);
  EXPECT_EQ(offsetof(PlexorScreenRecord, entryCount), 263u);
  EXPECT_EQ(offsetof(PlexorScreenRecord, entries), 272u);
  EXPECT_EQ(sizeof(PlexorScreenRecord), 280u);
  EXPECT_EQ(sizeof(PlexorCopyBitmapRecord), 56u);  // no addresses: the same everywhere
  EXPECT_EQ(offsetof(PlexorCopyBitmapRecord, planes), 48u);
}
