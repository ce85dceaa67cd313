// Part of the module's 32-bit build: the records that cross between the host
// libraries and the module keep their exact byte layout there, or the module
// does not build. (The 64-bit layout is checked by the Windows test suite.)
#include <cstddef>

#include "raster/job/host_contract.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(PlexorScreenEntry, width) == 14, "W at 14");
static_assert(offsetof(PlexorScreenEntry, height) == 16, "H at 16");
static_assert(offsetof(PlexorScreenEntry, shift) == 18, "S at 18");
static_assert(offsetof(PlexorScreenEntry, thresholds) == 20, "thresholds at 20");
static_assert(sizeof(PlexorScreenEntry) == 24, "entries are 24 bytes");
static_assert(offsetof(PlexorScreenRecord, entryCount) == 263, "entry count at 263");
static_assert(offsetof(PlexorScreenRecord, entries) == 268, "entry array at 268");
static_assert(sizeof(PlexorScreenRecord) == 272, "screen record is 272 bytes");
static_assert(offsetof(PlexorCopyBitmapRecord, bitmapId) == 8, "identifier at 8");
static_assert(offsetof(PlexorCopyBitmapRecord, handle) == 12, "handle at 12");
static_assert(offsetof(PlexorCopyBitmapRecord, positionLow) == 16, "position at 16");
static_assert(offsetof(PlexorCopyBitmapRecord, bytesPerRow) == 44, "bytes per row at 44");
static_assert(offsetof(PlexorCopyBitmapRecord, planes) == 48, "planes at 48");
static_assert(sizeof(PlexorCopyBitmapRecord) == 56, "bitmap record is 56 bytes");
static_assert(sizeof(PlexorErrdiffParams) == 488, "diffusion record is 488 bytes");
#endif
