/* Contracts of the RIP host's libraries tessaro, vindal and ombrix as the
 * raster module imports them: plain C linkage, 32-bit integers, buffers owned
 * by the caller.
 *
 * Records that travel between host and module keep their byte layout in a
 * 32-bit process exactly (static_assert in the module's 32-bit build).
 * Records that carry addresses (the screen record and its entries) grow in a
 * 64-bit process: every field keeps its offset up to the address, which then
 * sits at the next 8-byte boundary (natural alignment), and the record's size
 * rounds up to a multiple of 8. Fixed-size byte records (parameter block,
 * device information, colour-adjust data) are byte arrays with named offsets
 * and are the same on every platform. */
#ifndef PLEXOR_HOST_CONTRACT_H
#define PLEXOR_HOST_CONTRACT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define PLEXOR_HOST_EXPORT __declspec(dllexport)
#define PLEXOR_HOST_IMPORT __declspec(dllimport)
#else
#define PLEXOR_HOST_EXPORT __attribute__((visibility("default")))
#define PLEXOR_HOST_IMPORT
#endif

#ifdef PLEXOR_BUILDING_TESSARO
#define TESSARO_API PLEXOR_HOST_EXPORT
#else
#define TESSARO_API PLEXOR_HOST_IMPORT
#endif
#ifdef PLEXOR_BUILDING_VINDAL
#define VINDAL_API PLEXOR_HOST_EXPORT
#else
#define VINDAL_API PLEXOR_HOST_IMPORT
#endif
#ifdef PLEXOR_BUILDING_OMBRIX
#define OMBRIX_API PLEXOR_HOST_EXPORT
#else
#define OMBRIX_API PLEXOR_HOST_IMPORT
#endif

/* ---- Sizes of the byte records ---------------------------------------- */
enum {
  PLEXOR_PARAM_BLOCK_SIZE = 4100,
  PLEXOR_DEVINFO_SIZE = 1280,
  PLEXOR_DEVINFO_NAME_OFFSET = 1024,
  PLEXOR_COLOR_ADJUST_DATA_SIZE = 11996,
  PLEXOR_SCREEN_RECORD_SIZE_32 = 272,
  PLEXOR_ERRDIFF_PARAM_SIZE = 488
};

/* ---- Parameter block offsets ------------------------------------------ */
enum {
  PPB_MAGIC = 0,               /* "NVPMD" and a zero byte */
  PPB_INPUT_PLANES = 117,      /* signed byte */
  PPB_INPUT_COLOUR_TYPE = 118, /* unsigned byte */
  PPB_OUTPUT_PLANES = 119,     /* signed byte */
  PPB_INK_SET = 120,           /* unsigned byte: 2, 6 or 7 */
  PPB_RESOLUTION1 = 126,       /* signed 16-bit */
  PPB_RESOLUTION2 = 128,       /* signed 16-bit */
  PPB_LEFT_OFFSET = 156,       /* signed 32-bit */
  PPB_TOP_OFFSET = 160,        /* signed 32-bit */
  PPB_MIRROR = 190,            /* signed byte */
  PPB_SCREENING = 191,         /* signed byte */
  PPB_LAYOUT_PATH = 716,       /* 8-bit text, ends before 978 */
  PPB_LAYOUT_PATH_END = 978,
  PPB_DEVICE_NAME = 978,       /* UTF-16, up to 260 characters */
  PPB_MODE_NAME = 1498,        /* UTF-16, up to 260 characters */
  PPB_COLOR_ADJUST_ID = 3060,  /* signed 32-bit */
  PPB_SCREEN_ID = 3064,        /* signed 32-bit */
  PPB_BITS_PER_PIXEL = 3318,   /* unsigned byte, 0 means 1 */
  PPB_DOCUMENT_NAME = 3320,    /* UTF-16, up to 260 characters */
  PPB_WAITING = 3862,          /* set by the module while it waits for disk space */
  PPB_STOP_WAITING = 3863      /* set by the host to end that wait */
};

/* ---- Screen record (GetScreenData) ------------------------------------ */
typedef struct PlexorScreenEntry {
  uint8_t reserved[14];
  uint16_t width;            /* W, offset 14 */
  uint16_t height;           /* H, offset 16 */
  uint16_t shift;            /* S, offset 18 */
  const int16_t* thresholds; /* W x H, row by row; offset 20 (32-bit), 24 (64-bit) */
} PlexorScreenEntry;

typedef struct PlexorScreenRecord {
  uint8_t reserved0[263];
  int8_t entryCount;                /* offset 263 */
  uint8_t reserved1[4];             /* offsets 264..267 */
  const PlexorScreenEntry* entries; /* offset 268 (32-bit), 272 (64-bit) */
} PlexorScreenRecord;

/* ---- Copy layout bitmap record (56 bytes in the layout file) ----------- */
typedef struct PlexorCopyBitmapRecord {
  uint8_t reserved0[8];
  int32_t bitmapId;     /* offset 8, for OpenCopyBitmap */
  int32_t handle;       /* offset 12, written while open */
  uint32_t positionLow; /* offset 16, read position (64-bit, little-endian) */
  uint32_t positionHigh;
  uint8_t reserved1[20];
  int32_t bytesPerRow;  /* offset 44, per row and plane */
  uint16_t planes;      /* offset 48 */
  uint8_t reserved2[6];
} PlexorCopyBitmapRecord;

/* ---- Error-diffusion parameter record ---------------------------------- */
typedef struct PlexorErrdiffParams {
  int32_t inkCount; /* defaults to the job's ink count */
  int32_t levels;   /* defaults to 4 */
  uint8_t rest[PLEXOR_ERRDIFF_PARAM_SIZE - 8];
} PlexorErrdiffParams;

/* ---- tessaro ----------------------------------------------------------- */
TESSARO_API int GetPrintParams(int jobNumber, void* block, int mode, uint32_t* token);
TESSARO_API int SetPrintParams(int jobNumber, void* block, int mode, uint32_t token);
TESSARO_API void ClearPrintParamsWorkArea(void* block);
TESSARO_API int GetRIPDevInfo(const char* deviceName, void* record);
TESSARO_API int GetColorAdjustData(int dataId, void* buffer, int zero, void** bufferAddress);
TESSARO_API int GetScreenData(int screenId, void* record, int zero, uint32_t* token);
TESSARO_API int OpenCopyBitmap(int bitmapId);
TESSARO_API int SeekCopyBitmap(int handle, uint32_t positionLow, uint32_t positionHigh, int zero);
TESSARO_API int ReadCopyBitmap(int handle, void* buffer, int count);
TESSARO_API void CloseCopyBitmap(int handle);

/* ---- vindal ------------------------------------------------------------ */
VINDAL_API void* OpenColorAdjust_CMYK(void* data);
VINDAL_API void* OpenColorAdjust_CMYKOrGr(void* data);
VINDAL_API void* OpenColorAdjust_CMYKLcLm(void* data);
VINDAL_API int WriteColorAdjust_CMYK_old(void* handle, void** planes, int width, int lines, int planeCount);
VINDAL_API int WriteColorAdjust_CMYKOrGr(void* handle, void** planes, int width, int lines, int planeCount,
                                         void** converted, int inkCount);
VINDAL_API int WriteColorAdjust_CMYKLcLm(void* handle, void** planes, int width, int lines, int planeCount,
                                         void** converted, int inkCount);
VINDAL_API void CloseColorAdjust_CMYK(void* handle);
VINDAL_API void CloseColorAdjust_CMYKOrGr(void* handle);
VINDAL_API void CloseColorAdjust_CMYKLcLm(void* handle);
VINDAL_API int GetErrorDiffParam(void* colorAdjust, void* record);
VINDAL_API int GetErrorDiffParam_LcLm(void* colorAdjust, void* record);

/* ---- ombrix ------------------------------------------------------------ */
OMBRIX_API void* OpenErrdiff(int jobNumber, int width, int inkCount);
OMBRIX_API void* OpenErrdiff4(int jobNumber, int width, int inkCount, void* params);
OMBRIX_API int WriteErrdiff(void* handle, int inkCount, void** converted, void** screened, int width,
                            int rowLength, int lines, int leftOffset, char mirror);
OMBRIX_API int WriteErrdiff4(void* handle, int inkCount, void** converted, void** screened, int width,
                             int rowLength, int lines, int leftOffset, char mirror);
OMBRIX_API void CloseErrdiff(void* handle);
OMBRIX_API void CloseErrdiff4(void* handle);

#ifdef __cplusplus
}
#endif

#endif
