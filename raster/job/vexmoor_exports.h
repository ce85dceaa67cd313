/* The raster module's exported functions. */
#ifndef VEXMOOR_EXPORTS_H
#define VEXMOOR_EXPORTS_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#ifdef VEXMOOR_BUILDING
#define VEXMOOR_API __declspec(dllexport)
#else
#define VEXMOOR_API __declspec(dllimport)
#endif
#else
#define VEXMOOR_API __attribute__((visibility("default")))
#endif

VEXMOOR_API void* InitPrinter_16_FUNC(int jobId, const char* dumpPath, int width, int height, int planeCount);
VEXMOOR_API int StartPrinter_16_FUNC(void* job);
VEXMOOR_API int WritePrinter_16_FUNC(void* job, void** planes, int width, int lines, int planeCount);
VEXMOOR_API int SendPrinter_16_FUNC(void* job, void** planes, int width, int lines, int planeCount);
VEXMOOR_API int StopPrinter_16_FUNC(void* job);
VEXMOOR_API int ClosePrinter_16_FUNC(void* job);
VEXMOOR_API int StatPrinter_16_FUNC(void);
VEXMOOR_API int PutPrinter_16_FUNC(void);

#ifdef __cplusplus
}
#endif

#endif
