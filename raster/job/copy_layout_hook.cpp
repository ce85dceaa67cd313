#include "raster/job/copy_layout_hook.h"

#include <cstring>

#include "raster/job/copy_layout.h"
#include "raster/job/printer_job.h"

namespace vexmoor {
namespace {

constexpr int kTopOffsetChunk = 32;

// One zero-filled buffer of `bytes` per output plane, released together.
class PlaneBuffers {
 public:
  PlaneBuffers(PrinterJob& job, std::size_t bytes) : job_(job), bytes_(bytes) {
    for (int i = 0; i < job.outputPlaneCount; ++i) {
      planes_[i] = static_cast<std::uint8_t*>(job.env.memory.allocateZeroed(job.env.memory.context, bytes ? bytes : 1));
      pointers_[i] = planes_[i];
      ok_ = ok_ && planes_[i];
    }
  }
  ~PlaneBuffers() {
    for (std::uint8_t* p : planes_)
      if (p) job_.env.memory.release(job_.env.memory.context, p);
  }
  PlaneBuffers(const PlaneBuffers&) = delete;
  PlaneBuffers& operator=(const PlaneBuffers&) = delete;
  bool ok() const { return ok_; }
  void clear() {
    for (int i = 0; i < job_.outputPlaneCount; ++i) std::memset(planes_[i], 0, bytes_);
  }
  std::uint8_t* const* rows() const { return planes_; }
  void** pointers() { return pointers_; }

 private:
  PrinterJob& job_;
  std::size_t bytes_;
  std::uint8_t* planes_[kMaxScreenedPlanes] = {};
  void* pointers_[kMaxScreenedPlanes] = {};  // the same buffers, as the band path takes them
  bool ok_ = true;
};

// Rows sent from the layout alone are never mirrored: the flag is off for the
// duration and comes back afterwards.
class MirrorOff {
 public:
  explicit MirrorOff(PrinterJob& job) : job_(job), saved_(job.mirror) { job.mirror = 0; }
  ~MirrorOff() { job_.mirror = saved_; }
  MirrorOff(const MirrorOff&) = delete;
  MirrorOff& operator=(const MirrorOff&) = delete;

 private:
  PrinterJob& job_;
  int saved_;
};

int combineInto(PrinterJob& job, int rows, std::uint8_t* const* planeRows) {
  return combineLayoutRows(*job.layout, job.env.host, rows, job.bitsPerPixel, job.rowLength, job.outputPlaneCount,
                           planeRows);
}

}  // namespace

CopyLayout* loadCopyLayout(PrinterJob& job) {
  const std::uint8_t* field = job.params->bytes + PPB_LAYOUT_PATH;
  char path[PPB_LAYOUT_PATH_END - PPB_LAYOUT_PATH + 1];
  std::size_t n = 0;
  for (; n < sizeof path - 1 && field[n]; ++n) path[n] = char(field[n]);
  path[n] = 0;
  // The bands' rows hold the left offset and the widest band the job takes.
  return readCopyLayoutFile(job.env, path, (long long)job.inputWidth + job.leftOffset, job.bitsPerPixel);
}

void applyCopyLayoutPage(PrinterJob& job) {
  job.pageWidth = job.rasterWidth = job.layout->pageWidth;
  job.pageHeight = job.layout->pageHeight;
}

int sendLayoutTopOffset(PrinterJob& job) {
  PlaneBuffers work(job, std::size_t(kTopOffsetChunk) * std::size_t(job.rowLength));
  if (!work.ok()) return 1;
  MirrorOff mirrorOff(job);
  int result = 0;
  for (int left = job.topOffset; left > 0 && result == 0; left -= kTopOffsetChunk) {
    const int rows = left < kTopOffsetChunk ? left : kTopOffsetChunk;
    work.clear();
    combineInto(job, rows, work.rows());  // nothing combined leaves blank rows
    result = sendLayoutRows(job, work.pointers(), job.pageWidth, rows, job.outputPlaneCount);
  }
  return result;
}

void combineCopyLayoutBand(PrinterJob& job) { combineInto(job, job.bandLines, job.screenedPlanes); }

int drainCopyLayout(PrinterJob& job) {
  PlaneBuffers row(job, std::size_t(job.rowLength));
  if (!row.ok()) return 1;
  MirrorOff mirrorOff(job);
  for (;;) {
    row.clear();
    // Each call that combines moves the layout on by one row, so this ends.
    if (combineInto(job, 1, row.rows()) == -1) return 0;
    if (sendLayoutRows(job, row.pointers(), job.pageWidth, 1, job.outputPlaneCount) != 0) return 1;
  }
}

bool copyLayoutLostCopies(const PrinterJob& job) { return job.layout && job.layout->copiesLost; }

void freeCopyLayout(PrinterJob& job) {
  releaseCopyLayout(job.env, job.layout);
  job.layout = nullptr;
}

}  // namespace vexmoor
