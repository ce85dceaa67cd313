#include "raster/job/copy_layout.h"

#include <climits>
#include <cstring>
#include <fstream>

#include "raster/encode/copy_combine.h"

namespace vexmoor {
namespace {

std::uint32_t u32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::int32_t s32(const std::uint8_t* p) { return std::int32_t(u32(p)); }
std::uint64_t u64(const std::uint8_t* p) { return u32(p) | std::uint64_t(u32(p + 4)) << 32; }
void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void put64(std::uint8_t* p, std::uint64_t v) {
  put32(p, std::uint32_t(v));
  put32(p + 4, std::uint32_t(v >> 32));
}

// Record fields.
constexpr std::size_t kRecordId = 8, kRecordHandle = 12, kRecordPosition = 16, kRecordRowBytes = 44,
                      kRecordPlanes = 48;

std::uint8_t* record(const CopyLayout& l, std::uint32_t index) {
  return l.image + kLayoutHeaderSize + kLayoutRecordSize * index;
}

// How many bytes one bitmap byte can become when a 1-bit bitmap is widened
// to the job's depth.
std::size_t widening(int bitsPerPixel) { return bitsPerPixel == 2 ? 2 : bitsPerPixel == 8 ? 8 : 1; }

void* allocate(const JobEnvironment& env, std::size_t bytes) {
  return env.memory.allocateZeroed(env.memory.context, bytes ? bytes : 1);
}

// The file's bytes as the header's size field gives them; null when the file
// is missing, shorter than that, or the size cannot even hold the header.
std::uint8_t* readImage(const JobEnvironment& env, const char* path, std::size_t& size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::uint8_t header[kLayoutHeaderSize];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return nullptr;
  size = u32(header + 32);
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  // Checked before allocating, so that a wild size field costs nothing.
  if (size < kLayoutHeaderSize || length < 0 || std::uint64_t(length) < size) return nullptr;
  in.seekg(0, std::ios::beg);
  auto* image = static_cast<std::uint8_t*>(allocate(env, size));
  if (!image) return nullptr;
  if (!in.read(reinterpret_cast<char*>(image), std::streamsize(size))) {
    env.memory.release(env.memory.context, image);
    return nullptr;
  }
  return image;
}

// Checks the header, the records and the group table against the file and
// the job; sets the layout's page, end row and first group. The table is
// walked up to the layout's total rows: every group that a combine can reach
// lies inside the file and names existing records.
bool holdsTogether(CopyLayout& l, long long minPageWidth, int bitsPerPixel, std::size_t& widestRow) {
  const std::uint8_t* h = l.image;
  const int n = std::int16_t(std::uint16_t(h[0] | h[1] << 8));
  l.totalRows = u32(h + 8);
  l.pageHeight = s32(h + 16);
  l.pageWidth = s32(h + 20);
  if (n < 0 || l.pageHeight < 0 || l.pageWidth < 0 || l.pageWidth < minPageWidth) return false;
  // The page's rows must fit the job's row arithmetic, and a band of 32 rows
  // over the page (the top offset) the band limits.
  const long long rowLength = (long long)bitsPerPixel * ((l.pageWidth + 31LL) / 32) * 4;
  if (rowLength > INT_MAX / 2 || (long long)l.pageWidth * 32 > INT_MAX / 2) return false;
  l.recordCount = n;
  const std::size_t tableStart = kLayoutHeaderSize + kLayoutRecordSize * std::size_t(n);
  if (tableStart > l.imageSize) return false;

  widestRow = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* r = record(l, std::uint32_t(i));
    const std::int32_t rowBytes = s32(r + kRecordRowBytes);
    const int planes = r[kRecordPlanes] | r[kRecordPlanes + 1] << 8;
    // A bitmap row wider than a page row cannot be a copy on this page.
    if (rowBytes < 0 || rowBytes > rowLength || planes > kMaxCopyBitmapPlanes) return false;
    if (std::size_t(rowBytes) > widestRow) widestRow = std::size_t(rowBytes);
  }

  std::uint64_t covered = 0;
  std::size_t at = tableStart;
  while (covered < l.totalRows && at + 8 <= l.imageSize) {
    const std::uint64_t items = u32(l.image + at + 4);
    const std::uint64_t end = at + 8 + 8 * items;
    if (end > l.imageSize) return false;
    for (std::uint64_t k = 0; k < items; ++k)
      if (u32(l.image + at + 8 + 8 * k + 4) >= std::uint32_t(n)) return false;
    covered += u32(l.image + at);
    at = std::size_t(end);
  }
  // A table that ends before the total rows ends the layout there, and so
  // does the page: a row past the page height is not on the page, and a
  // layout claiming billions of rows would drain blank rows for hours.
  l.endRow = covered < l.totalRows ? std::uint32_t(covered) : l.totalRows;
  if (l.endRow > std::uint32_t(l.pageHeight)) l.endRow = std::uint32_t(l.pageHeight);
  l.groupOffset = tableStart;
  l.currentRow = 0;
  l.groupEnd = tableStart + 8 <= l.imageSize ? u32(l.image + tableStart) : 0;
  return true;
}

// Reads every record's bitmap header and keeps its kind digit; the
// identifier of a bitmap that cannot be read goes to `failed`.
bool readKinds(CopyLayout& l, const HostPort& host, std::int32_t& failed) {
  std::uint8_t header[kCopyBitmapHeaderSize];
  for (int i = 0; i < l.recordCount; ++i) {
    failed = s32(record(l, std::uint32_t(i)) + kRecordId);
    const int handle = host.openCopyBitmap(failed);
    if (handle == -1) return false;
    const int got = host.readCopyBitmap(handle, header, int(sizeof header));
    host.closeCopyBitmap(handle);
    if (got != int(sizeof header)) return false;
    l.kinds[i] = header[kCopyBitmapKindOffset];
  }
  return true;
}

// Merges one plane row of a bitmap, read into l.data, at pixel x.
void combineRow(CopyLayout& l, std::uint8_t* bandRow, int rowLength, int bitsPerPixel, std::uint32_t x,
                std::size_t rowBytes, bool oneBit) {
  const std::size_t band = std::size_t(rowLength);
  if (bitsPerPixel == 1) return combinePackedRow(bandRow, band, l.data, rowBytes, x);
  if (bitsPerPixel == 2) {
    if (oneBit) widenBits1To2(l.data, rowBytes *= 2);
    return combinePackedRow(bandRow, band, l.data, rowBytes, 2 * std::uint64_t(x));
  }
  if (oneBit) widenBits1To8(l.data, rowBytes *= 8);
  xorByteRow(bandRow, band, l.data, rowBytes, x);
}

// One item of the current group over layout rows [from, to): false when its
// bitmap cannot be opened or comes up short.
bool combineItem(CopyLayout& l, const HostPort& host, const std::uint8_t* item, std::uint64_t from, std::uint64_t to,
                 std::uint64_t firstRow, int bitsPerPixel, int rowLength, int planes, std::uint8_t* const* planeRows) {
  const std::uint32_t x = u32(item), index = u32(item + 4);
  std::uint8_t* r = record(l, index);
  const int handle = host.openCopyBitmap(s32(r + kRecordId));
  if (handle == -1) return false;
  put32(r + kRecordHandle, std::uint32_t(handle));
  std::uint64_t position = u64(r + kRecordPosition);
  host.seekCopyBitmap(handle, std::uint32_t(position), std::uint32_t(position >> 32), 0);
  const int rowBytes = s32(r + kRecordRowBytes);
  const int bitmapPlanes = r[kRecordPlanes] | r[kRecordPlanes + 1] << 8;
  const bool oneBit = bitsPerPixel != 1 && l.kinds[index] == '1';
  // The data buffer was sized at load for the job's depth.
  bool whole = std::size_t(rowBytes) * (oneBit ? widening(bitsPerPixel) : 1) <= l.dataCapacity;
  for (std::uint64_t row = from; row < to && whole; ++row) {
    // Planes beyond the job's are read and dropped, so that the next row starts in place.
    for (int j = 0; j < bitmapPlanes && whole; ++j) {
      const int got = host.readCopyBitmap(handle, l.data, rowBytes);
      position += std::uint64_t(rowBytes);
      whole = got == rowBytes;
      if (whole && j < planes)
        combineRow(l, planeRows[j] + std::size_t(row - firstRow) * std::size_t(rowLength), rowLength, bitsPerPixel,
                   x, std::size_t(rowBytes), oneBit);
    }
  }
  put64(r + kRecordPosition, position);
  host.closeCopyBitmap(handle);
  return whole;
}

// A bitmap that could not be opened or read ends the layout; the job
// reports the copies it lost.
int endLayout(CopyLayout& l, std::int32_t failedBitmap) {
  l.endRow = std::uint32_t(l.currentRow);
  l.copiesLost = true;
  l.lostBitmap = failedBitmap;
  return -1;
}

}  // namespace

CopyLayout* readCopyLayoutFile(const JobEnvironment& env, const char* path, long long minPageWidth,
                               int bitsPerPixel) {
  if (!path || !*path) return nullptr;
  auto* l = static_cast<CopyLayout*>(allocate(env, sizeof(CopyLayout)));
  if (!l) return nullptr;
  std::size_t widestRow = 0;
  l->image = readImage(env, path, l->imageSize);
  bool ok = l->image && holdsTogether(*l, minPageWidth, bitsPerPixel, widestRow);
  if (ok) {
    l->dataCapacity = widestRow * widening(bitsPerPixel);
    l->data = static_cast<std::uint8_t*>(allocate(env, l->dataCapacity));
    l->kinds = static_cast<std::uint8_t*>(allocate(env, std::size_t(l->recordCount)));
    ok = l->data && l->kinds;
  }
  if (!ok) {
    releaseCopyLayout(env, l);
    return nullptr;
  }
  // Reading starts past each bitmap's header.
  for (int i = 0; i < l->recordCount; ++i) put64(record(*l, std::uint32_t(i)) + kRecordPosition, kCopyBitmapHeaderSize);
  return l;
}

int combineLayoutRows(CopyLayout& l, const HostPort& host, int rows, int bitsPerPixel, int rowLength, int planes,
                      std::uint8_t* const* planeRows) {
  if (l.currentRow >= l.endRow) return -1;
  if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 8) return -1;
  if (rows < 0 || rowLength < 0 || planes < 0) return -1;
  // A bitmap that cannot be opened or read ends the layout where this call
  // began: its rows could no longer be kept in step with the bitmaps' read
  // positions, and later calls would tear the other copies apart.
  std::int32_t failed = 0;
  if (bitsPerPixel != 1 && !readKinds(l, host, failed)) return endLayout(l, failed);
  std::uint64_t cur = l.currentRow, groupEnd = l.groupEnd;
  std::size_t group = l.groupOffset;
  const std::uint64_t first = cur, target = cur + std::uint64_t(rows);
  while (cur < target && cur < l.endRow) {
    const std::uint64_t segmentEnd = groupEnd < target ? groupEnd : target;
    const std::uint32_t items = u32(l.image + group + 4);
    // A group of no rows reads nothing: its bitmaps are not even opened.
    for (std::uint32_t k = 0; k < items && cur < segmentEnd; ++k) {
      const std::uint8_t* item = l.image + group + 8 + 8 * std::size_t(k);
      if (!combineItem(l, host, item, cur, segmentEnd, first, bitsPerPixel, rowLength, planes, planeRows))
        return endLayout(l, s32(record(l, u32(item + 4)) + kRecordId));
    }
    cur = segmentEnd;
    // The next group is read only while the layout goes on: a last group that
    // ends exactly at the end row has nothing after it.
    if (cur == groupEnd && cur < l.endRow) {
      group += 8 + 8 * std::size_t(items);
      groupEnd = cur + u32(l.image + group);
    }
  }
  l.currentRow = cur;
  l.groupEnd = groupEnd;
  l.groupOffset = group;
  return cur >= l.totalRows ? 0 : int(std::uint64_t(l.totalRows) - cur > INT_MAX ? INT_MAX : l.totalRows - cur);
}

void releaseCopyLayout(const JobEnvironment& env, CopyLayout* l) {
  if (!l) return;
  for (void* p : {static_cast<void*>(l->image), static_cast<void*>(l->data), static_cast<void*>(l->kinds)})
    if (p) env.memory.release(env.memory.context, p);
  env.memory.release(env.memory.context, l);
}

}  // namespace vexmoor
