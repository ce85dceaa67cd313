#include "raster/job/copy_layout_hook.h"

#include <cstring>

#include "raster/job/copy_layout.h"

namespace vexmoor {
namespace {

constexpr int kTopOffsetChunk = 32;
constexpr int kMaxRowPlanes = 6;  // no job screens into more planes

// One zero-filled buffer of `bytes` per output plane, released together.
class PlaneBuffers {
 public:
  PlaneBuffers(const LayoutRows& rows, std::size_t bytes)
      : memory_(rows.env->memory), count_(rows.outputPlaneCount), bytes_(bytes) {
    for (int i = 0; i < count_; ++i) {
      planes_[i] = static_cast<std::uint8_t*>(memory_.allocateZeroed(memory_.context, bytes ? bytes : 1));
      pointers_[i] = planes_[i];
      ok_ = ok_ && planes_[i];
    }
  }
  ~PlaneBuffers() {
    for (std::uint8_t* p : planes_)
      if (p) memory_.release(memory_.context, p);
  }
  PlaneBuffers(const PlaneBuffers&) = delete;
  PlaneBuffers& operator=(const PlaneBuffers&) = delete;
  bool ok() const { return ok_; }
  void clear() {
    for (int i = 0; i < count_; ++i) std::memset(planes_[i], 0, bytes_);
  }
  std::uint8_t* const* rows() const { return planes_; }
  void** pointers() { return pointers_; }

 private:
  MemoryPort memory_;
  int count_;
  std::size_t bytes_;
  std::uint8_t* planes_[kMaxRowPlanes] = {};
  void* pointers_[kMaxRowPlanes] = {};  // the same buffers, as the sink takes them
  bool ok_ = true;
};

int combineInto(const LayoutRows& rows, int lines, std::uint8_t* const* planeRows) {
  return combineLayoutRows(*rows.layout, rows.env->host, lines, rows.bitsPerPixel, rows.rowLength,
                           rows.outputPlaneCount, planeRows);
}

int send(const LayoutRows& rows, PlaneBuffers& planes, int lines) {
  return rows.sink.send(rows.sink.context, planes.pointers(), rows.pageWidth, lines, rows.outputPlaneCount);
}

}  // namespace

CopyLayout* loadCopyLayout(const JobEnvironment& env, const PrintParamBlock& params, long long minPageWidth,
                           int bitsPerPixel) {
  const std::uint8_t* field = params.bytes + PPB_LAYOUT_PATH;
  char path[PPB_LAYOUT_PATH_END - PPB_LAYOUT_PATH + 1];
  std::size_t n = 0;
  for (; n < sizeof path - 1 && field[n]; ++n) path[n] = char(field[n]);
  path[n] = 0;
  return readCopyLayoutFile(env, path, minPageWidth, bitsPerPixel);
}

int copyLayoutPageWidth(const CopyLayout& layout) { return layout.pageWidth; }
int copyLayoutPageHeight(const CopyLayout& layout) { return layout.pageHeight; }

int sendLayoutTopOffset(const LayoutRows& rows, int topOffset) {
  PlaneBuffers work(rows, std::size_t(kTopOffsetChunk) * std::size_t(rows.rowLength));
  if (!work.ok()) return 1;
  int result = 0;
  for (int left = topOffset; left > 0 && result == 0; left -= kTopOffsetChunk) {
    const int lines = left < kTopOffsetChunk ? left : kTopOffsetChunk;
    work.clear();
    combineInto(rows, lines, work.rows());  // nothing combined leaves blank rows
    result = send(rows, work, lines);
  }
  return result;
}

void combineCopyLayoutBand(const LayoutRows& rows, int lines, std::uint8_t* const* planes) {
  combineInto(rows, lines, planes);
}

int drainCopyLayout(const LayoutRows& rows) {
  PlaneBuffers row(rows, std::size_t(rows.rowLength));
  if (!row.ok()) return 1;
  for (;;) {
    row.clear();
    // Each call that combines moves the layout on by one row, so this ends.
    if (combineInto(rows, 1, row.rows()) == -1) return 0;
    if (send(rows, row, 1) != 0) return 1;
  }
}

bool copyLayoutLostCopies(const CopyLayout* layout) { return layout && layout->copiesLost; }

void freeCopyLayout(const JobEnvironment& env, CopyLayout*& layout) {
  releaseCopyLayout(env, layout);
  layout = nullptr;
}

}  // namespace vexmoor
