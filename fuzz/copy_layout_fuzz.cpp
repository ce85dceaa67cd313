// The copy layout: the layout file and the copy bitmaps come from the input,
// as do the job's bit depth, its plane count, the band rows and row length,
// and the page width the bands need. The file is loaded, then combined band
// after band into exactly sized plane rows, so that any write past a band
// row or read past a bitmap row buffer is an AddressSanitizer finding.
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/byte_reader.h"
#include "raster/job/copy_layout.h"

namespace {

using vexmoor::CopyLayout;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The host's copy bitmaps: id -> bytes, one open handle per bitmap at a time.
struct Bitmap {
  std::vector<std::uint8_t> bytes;
  std::uint64_t position = 0;
  bool open = false;
};
std::map<int, Bitmap> bitmaps;
std::vector<int> handles;  // handle -> id
int openHandles = 0;

Bitmap* byHandle(int handle) {
  if (handle < 0 || std::size_t(handle) >= handles.size()) return nullptr;
  Bitmap& b = bitmaps[handles[std::size_t(handle)]];
  return b.open ? &b : nullptr;
}
int openBitmap(int id) {
  auto it = bitmaps.find(id);
  if (it == bitmaps.end() || it->second.open) return -1;
  it->second.open = true;
  it->second.position = 0;
  ++openHandles;
  handles.push_back(id);
  return int(handles.size() - 1);
}
int seekBitmap(int handle, std::uint32_t low, std::uint32_t high, int) {
  Bitmap* b = byHandle(handle);
  if (!b) return -1;
  b->position = low | std::uint64_t(high) << 32;
  return 0;
}
int readBitmap(int handle, void* buffer, int count) {
  Bitmap* b = byHandle(handle);
  check(b != nullptr && count >= 0);
  const std::uint64_t left = b->position < b->bytes.size() ? b->bytes.size() - b->position : 0;
  const std::size_t got = left < std::uint64_t(count) ? std::size_t(left) : std::size_t(count);
  std::uint8_t* out = static_cast<std::uint8_t*>(buffer);
  for (std::size_t k = 0; k < got; ++k) out[k] = b->bytes[std::size_t(b->position) + k];
  b->position += got;
  return int(got);
}
void closeBitmap(int handle) {
  Bitmap* b = byHandle(handle);
  check(b != nullptr);
  b->open = false;
  --openHandles;
}

long allocations = 0;
void* allocateZeroed(void*, std::size_t bytes) {
  ++allocations;
  return calloc(1, bytes);
}
void release(void*, void* block) {
  --allocations;
  free(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plexor_fuzz::ByteReader in(data, size);
  static const int kDepths[4] = {1, 2, 8, 4};  // 4: a depth the combine refuses
  const int bits = kDepths[in.u8() % 4];
  const int planes = in.u8() % (vexmoor::kMaxCopyBitmapPlanes + 1);
  const int rows = in.u8() % 33;  // a top-offset chunk is 32 rows
  const int calls = 1 + in.u8() % 8;
  const int rowLength = in.u16() % 1025;
  const long long minPageWidth = in.u16();
  const std::vector<std::uint8_t> file = in.bytes(in.u16() % 8192);
  bitmaps.clear();
  handles.clear();
  for (int n = in.u8() % 5; n > 0; --n) {
    const int id = std::int32_t(in.u16() | std::uint32_t(in.u16()) << 16);
    bitmaps[id].bytes = in.bytes(in.u16() % 16384);
  }
  openHandles = 0;
  allocations = 0;

  // The fuzzer runs in a scratch folder (see run_bounded.sh and fuzz.sh).
  static const std::string path = "copy_layout_" + std::to_string(getpid()) + ".bin";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    check(std::fwrite(file.data(), 1, file.size(), f) == file.size());
    std::fclose(f);
  }
  vexmoor::JobEnvironment env{};
  env.host.openCopyBitmap = openBitmap;
  env.host.seekCopyBitmap = seekBitmap;
  env.host.readCopyBitmap = readBitmap;
  env.host.closeCopyBitmap = closeBitmap;
  env.memory.allocateZeroed = allocateZeroed;
  env.memory.release = release;
  CopyLayout* layout = vexmoor::readCopyLayoutFile(env, path.c_str(), minPageWidth, bits);
  if (!layout) {
    check(allocations == 0);
    return 0;
  }
  check(layout->endRow <= layout->totalRows && layout->pageWidth >= minPageWidth);

  bool ended = false;
  for (int call = 0; call < calls; ++call) {
    std::vector<std::unique_ptr<std::uint8_t[]>> band;
    std::vector<std::uint8_t*> planeRows;
    for (int j = 0; j < planes; ++j) {
      band.emplace_back(new std::uint8_t[std::size_t(rows) * std::size_t(rowLength)]());
      planeRows.push_back(band.back().get());
    }
    const int left = vexmoor::combineLayoutRows(*layout, env.host, rows, bits, rowLength, planes, planeRows.data());
    check(left >= -1 && openHandles == 0);
    // Once the layout has ended (or a bitmap failed), it stays ended.
    check(!ended || left == -1);
    ended = left == -1;
    // A last group that goes on past the total rows is combined as far as
    // the call reaches; the count left is then 0 (and at most INT_MAX).
    const std::uint64_t rowsLeft =
        layout->currentRow >= layout->totalRows ? 0 : layout->totalRows - layout->currentRow;
    check(left == -1 || std::uint64_t(left) == (rowsLeft > INT_MAX ? INT_MAX : rowsLeft));
  }
  vexmoor::releaseCopyLayout(env, layout);
  check(allocations == 0);
  return 0;
}
