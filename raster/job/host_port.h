// The host libraries as the module calls them: one table of function
// pointers, so that the exported functions bind the imported libraries and
// unit tests bind fakes.
#pragma once

#include <cstdint>

namespace vexmoor {

struct HostPort {
  // tessaro
  int (*getPrintParams)(int jobNumber, void* block, int mode, std::uint32_t* token);
  int (*setPrintParams)(int jobNumber, void* block, int mode, std::uint32_t token);
  void (*clearPrintParamsWorkArea)(void* block);
  int (*getRIPDevInfo)(const char* deviceName, void* record);
  int (*getColorAdjustData)(int dataId, void* buffer, int zero, void** bufferAddress);
  int (*getScreenData)(int screenId, void* record, int zero, std::uint32_t* token);
  // vindal
  void* (*openColorAdjustCMYK)(void* data);
  void* (*openColorAdjustCMYKOrGr)(void* data);
  void* (*openColorAdjustCMYKLcLm)(void* data);
  int (*writeColorAdjustCMYKOld)(void* handle, void** planes, int width, int lines, int planeCount);
  int (*writeColorAdjustCMYKOrGr)(void* handle, void** planes, int width, int lines, int planeCount,
                                  void** converted, int inkCount);
  int (*writeColorAdjustCMYKLcLm)(void* handle, void** planes, int width, int lines, int planeCount,
                                  void** converted, int inkCount);
  void (*closeColorAdjustCMYK)(void* handle);
  void (*closeColorAdjustCMYKOrGr)(void* handle);
  void (*closeColorAdjustCMYKLcLm)(void* handle);
  int (*getErrorDiffParam)(void* colorAdjust, void* record);
  int (*getErrorDiffParamLcLm)(void* colorAdjust, void* record);
  // ombrix
  void* (*openErrdiff)(int jobNumber, int width, int inkCount);
  void* (*openErrdiff4)(int jobNumber, int width, int inkCount, void* params);
  int (*writeErrdiff)(void* handle, int inkCount, void** converted, void** screened, int width,
                      int rowLength, int lines, int leftOffset, char mirror);
  int (*writeErrdiff4)(void* handle, int inkCount, void** converted, void** screened, int width,
                       int rowLength, int lines, int leftOffset, char mirror);
  void (*closeErrdiff)(void* handle);
  void (*closeErrdiff4)(void* handle);
  // tessaro's copy bitmaps
  int (*openCopyBitmap)(int bitmapId);
  int (*seekCopyBitmap)(int handle, std::uint32_t positionLow, std::uint32_t positionHigh, int zero);
  int (*readCopyBitmap)(int handle, void* buffer, int count);
  void (*closeCopyBitmap)(int handle);
};

// The imported libraries themselves (host_linked.cpp, only in the module).
HostPort linkedHostPort();

}  // namespace vexmoor
