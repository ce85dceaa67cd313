/* Host-side functions of the stand-in tessaro library: the RIP host program
 * registers what the raster module will later fetch. The module never calls
 * these. */
#ifndef TESSARO_HOST_H
#define TESSARO_HOST_H

#include <stdint.h>

#include "raster/job/host_contract.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The parameter block for a job (4100 bytes, copied). */
TESSARO_API void TessaroRegisterPrintParams(int jobNumber, const void* block);
TESSARO_API void TessaroForgetPrintParams(int jobNumber);
/* The host's current flag bytes of a job's block; 0 when the job is unknown. */
TESSARO_API int TessaroReadFlags(int jobNumber, uint8_t* waiting, uint8_t* stopWaiting);
TESSARO_API void TessaroSetStopWaiting(int jobNumber, int value);
/* Device information: printerName (plain or a template with %d) for deviceName. */
TESSARO_API void TessaroRegisterDevice(const char* deviceName, const char* printerName);
/* Colour-adjust data (at most 11,996 bytes, copied). */
TESSARO_API void TessaroRegisterColorAdjustData(int dataId, const void* data, int size);
/* A screen: count entries; the entries and their thresholds are copied. A
 * later registration under the same identifier serves later fetches; the
 * entries handed out before stay readable until the library unloads. */
TESSARO_API void TessaroRegisterScreen(int screenId, int count, const PlexorScreenEntry* entries);
/* A copy bitmap's bytes (256-byte header and rows), copied. */
TESSARO_API void TessaroRegisterCopyBitmap(int bitmapId, const void* bytes, int64_t size);
/* A copy bitmap served from a file (the same bytes), opened on each OpenCopyBitmap. */
TESSARO_API void TessaroRegisterCopyBitmapFile(int bitmapId, const char* path);
/* The index-th copy bitmap (0, 1, ...) that could not be opened or came up
 * short on a read, in the order they first failed: its identifier and the
 * way it failed. 0 past the last. */
#define TESSARO_BITMAP_NOT_OPENED 1
#define TESSARO_BITMAP_SHORT 2
TESSARO_API int TessaroCopyBitmapFailure(int index, int* bitmapId, int* kind);

#ifdef __cplusplus
}
#endif

#endif
