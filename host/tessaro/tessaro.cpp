// Stand-in for the host's tessaro library: parameter blocks, device
// information, colour-adjust data, screens and copy bitmaps that the host
// program registered, served to the raster module.
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>  // std::lock_guard
#include <string>
#include <utility>
#include <vector>

#include "host/tessaro/host_lock.h"
#include "host/tessaro/tessaro_host.h"

namespace {

struct Screen {
  std::vector<PlexorScreenEntry> entries;
  std::vector<std::vector<int16_t>> thresholds;
};

using Bytes = std::shared_ptr<const std::vector<uint8_t>>;

// An open copy bitmap: registered bytes, or a registered file read as it goes.
// It holds the bytes it was opened on, whatever the host registers meanwhile.
struct OpenBitmap {
  Bytes bytes;
  std::FILE* file;
  uint64_t position;
  int id;
};

bool seekFile(std::FILE* f, uint64_t position) {
#ifdef _WIN32
  return _fseeki64(f, int64_t(position), SEEK_SET) == 0;
#else
  return fseeko(f, off_t(position), SEEK_SET) == 0;
#endif
}

// The host's registry: one per process, shared by every job; calls may come
// from the host's own threads (the stop-waiting flag), hence the lock.
struct Registry {
  HostLock lock;
  std::map<int, std::vector<uint8_t>> blocks;
  std::map<std::string, std::string> devices;
  std::map<int, std::vector<uint8_t>> colorAdjust;
  std::map<int, std::shared_ptr<Screen>> screens;
  // Screens replaced by a later registration. GetScreenData hands out a
  // pointer to a screen's entries, which a job may still be reading on
  // another thread when the host registers the screen again: every screen
  // stays alive until the library unloads.
  std::vector<std::shared_ptr<Screen>> replacedScreens;
  std::map<int, Bytes> bitmaps;
  std::map<int, std::string> bitmapFiles;
  std::map<int, OpenBitmap> open;
  // Bitmaps the module could not open or read whole, by identifier, in the
  // order they failed: the host names them when the job reports lost copies.
  std::vector<std::pair<int, int>> bitmapFailures;
  int nextHandle = 1;
  uint32_t nextToken = 1;
};

Registry& registry() {
  static Registry r;
  return r;
}

void noteBitmapFailure(Registry& r, int id, int kind) {
  for (const auto& f : r.bitmapFailures)
    if (f.first == id) return;
  r.bitmapFailures.emplace_back(id, kind);
}

}  // namespace

extern "C" {

TESSARO_API void TessaroRegisterPrintParams(int jobNumber, const void* block) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto* b = static_cast<const uint8_t*>(block);
  r.blocks[jobNumber].assign(b, b + PLEXOR_PARAM_BLOCK_SIZE);
}

TESSARO_API void TessaroForgetPrintParams(int jobNumber) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  r.blocks.erase(jobNumber);
}

TESSARO_API int TessaroReadFlags(int jobNumber, uint8_t* waiting, uint8_t* stopWaiting) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.blocks.find(jobNumber);
  if (it == r.blocks.end()) return 0;
  if (waiting) *waiting = it->second[PPB_WAITING];
  if (stopWaiting) *stopWaiting = it->second[PPB_STOP_WAITING];
  return 1;
}

TESSARO_API void TessaroSetStopWaiting(int jobNumber, int value) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.blocks.find(jobNumber);
  if (it != r.blocks.end()) it->second[PPB_STOP_WAITING] = uint8_t(value);
}

TESSARO_API void TessaroRegisterDevice(const char* deviceName, const char* printerName) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  r.devices[deviceName] = printerName;
}

TESSARO_API void TessaroRegisterColorAdjustData(int dataId, const void* data, int size) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  if (size < 0 || size > PLEXOR_COLOR_ADJUST_DATA_SIZE) return;
  auto* b = static_cast<const uint8_t*>(data);
  r.colorAdjust[dataId].assign(b, b + size);
}

TESSARO_API void TessaroRegisterScreen(int screenId, int count, const PlexorScreenEntry* entries) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto screen = std::make_shared<Screen>();
  for (int i = 0; i < count; ++i) {
    const PlexorScreenEntry& e = entries[i];
    screen->thresholds.emplace_back(e.thresholds, e.thresholds + std::size_t(e.width) * e.height);
  }
  for (int i = 0; i < count; ++i) {
    PlexorScreenEntry e = entries[i];
    e.thresholds = screen->thresholds[i].data();
    screen->entries.push_back(e);
  }
  std::shared_ptr<Screen>& slot = r.screens[screenId];
  if (slot) r.replacedScreens.push_back(slot);
  slot = screen;
}

TESSARO_API void TessaroRegisterCopyBitmap(int bitmapId, const void* bytes, int64_t size) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto* b = static_cast<const uint8_t*>(bytes);
  r.bitmaps[bitmapId] = std::make_shared<const std::vector<uint8_t>>(b, b + size);
}

TESSARO_API void TessaroRegisterCopyBitmapFile(int bitmapId, const char* path) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  r.bitmaps.erase(bitmapId);
  r.bitmapFiles[bitmapId] = path;
}

TESSARO_API int GetPrintParams(int jobNumber, void* block, int mode, uint32_t* token) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.blocks.find(jobNumber);
  if (it == r.blocks.end()) return 0;
  std::memcpy(block, it->second.data(), PLEXOR_PARAM_BLOCK_SIZE);
  // A fetch for writing back gets a token that names it.
  if (token) *token = mode == 1 ? r.nextToken++ : 0;
  return 1;
}

TESSARO_API int SetPrintParams(int jobNumber, void* block, int, uint32_t) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.blocks.find(jobNumber);
  if (it == r.blocks.end()) return 0;
  // Only the module's own flag is taken over: the stop-waiting flag belongs
  // to the host and may have changed since the fetch.
  it->second[PPB_WAITING] = static_cast<const uint8_t*>(block)[PPB_WAITING];
  return 1;
}

TESSARO_API void ClearPrintParamsWorkArea(void*) {
  // Nothing is attached to a fetched block by this library.
}

TESSARO_API int GetRIPDevInfo(const char* deviceName, void* record) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.devices.find(deviceName ? deviceName : "");
  if (it == r.devices.end()) return 0;
  auto* out = static_cast<char*>(record);
  std::memset(out, 0, PLEXOR_DEVINFO_SIZE);
  std::strncpy(out + PLEXOR_DEVINFO_NAME_OFFSET, it->second.c_str(),
               PLEXOR_DEVINFO_SIZE - PLEXOR_DEVINFO_NAME_OFFSET - 1);
  return 1;
}

TESSARO_API int GetColorAdjustData(int dataId, void* buffer, int, void** bufferAddress) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.colorAdjust.find(dataId);
  if (it == r.colorAdjust.end()) return 0;
  void* target = bufferAddress && *bufferAddress ? *bufferAddress : buffer;
  std::memset(target, 0, PLEXOR_COLOR_ADJUST_DATA_SIZE);
  std::memcpy(target, it->second.data(), it->second.size());
  return 1;
}

TESSARO_API int GetScreenData(int screenId, void* record, int, uint32_t* token) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.screens.find(screenId);
  if (it == r.screens.end()) return 0;
  auto* out = static_cast<PlexorScreenRecord*>(record);
  std::memset(out, 0, sizeof *out);
  out->entryCount = int8_t(it->second->entries.size());
  out->entries = it->second->entries.data();  // lives as long as the library
  if (token) *token = 0;
  return 1;
}

TESSARO_API int TessaroCopyBitmapFailure(int index, int* bitmapId, int* kind) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  if (index < 0 || std::size_t(index) >= r.bitmapFailures.size()) return 0;
  *bitmapId = r.bitmapFailures[std::size_t(index)].first;
  *kind = r.bitmapFailures[std::size_t(index)].second;
  return 1;
}

TESSARO_API int OpenCopyBitmap(int bitmapId) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  OpenBitmap bitmap{nullptr, nullptr, 0, bitmapId};
  auto it = r.bitmaps.find(bitmapId);
  auto file = r.bitmapFiles.find(bitmapId);
  if (it != r.bitmaps.end()) {
    bitmap.bytes = it->second;
  } else if (file != r.bitmapFiles.end()) {
    bitmap.file = std::fopen(file->second.c_str(), "rb");
  }
  if (!bitmap.bytes && !bitmap.file) {
    noteBitmapFailure(r, bitmapId, TESSARO_BITMAP_NOT_OPENED);
    return -1;
  }
  int handle = r.nextHandle++;
  r.open[handle] = bitmap;
  return handle;
}

TESSARO_API int SeekCopyBitmap(int handle, uint32_t low, uint32_t high, int) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.open.find(handle);
  if (it == r.open.end()) return 0;
  it->second.position = (uint64_t(high) << 32) | low;
  if (it->second.file) return seekFile(it->second.file, it->second.position) ? 1 : 0;
  return 1;
}

TESSARO_API int ReadCopyBitmap(int handle, void* buffer, int count) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.open.find(handle);
  if (it == r.open.end() || count < 0) return 0;
  int n = 0;
  if (it->second.file) {
    n = int(std::fread(buffer, 1, std::size_t(count), it->second.file));
  } else {
    const auto& bytes = *it->second.bytes;
    uint64_t pos = it->second.position;
    uint64_t available = pos < bytes.size() ? bytes.size() - pos : 0;
    n = available < uint64_t(count) ? int(available) : count;
    if (n > 0) std::memcpy(buffer, bytes.data() + pos, std::size_t(n));
  }
  it->second.position += uint64_t(n);
  if (n < count) noteBitmapFailure(r, it->second.id, TESSARO_BITMAP_SHORT);
  return n;
}

TESSARO_API void CloseCopyBitmap(int handle) {
  Registry& r = registry();
  std::lock_guard<HostLock> g(r.lock);
  auto it = r.open.find(handle);
  if (it == r.open.end()) return;
  if (it->second.file) std::fclose(it->second.file);
  r.open.erase(it);
}

}  // extern "C"
