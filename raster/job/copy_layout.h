// The copy layout: a file written by the RIP host that places copy bitmaps,
// read row by row from the host, at horizontal positions over row ranges of
// the page. Loading checks that the file holds together; combining walks its
// group table and merges the bitmaps' rows into plane rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/ports.h"

namespace vexmoor {

constexpr std::size_t kLayoutHeaderSize = 40;
constexpr std::size_t kLayoutRecordSize = 56;
constexpr std::size_t kCopyBitmapHeaderSize = 256;
constexpr std::size_t kCopyBitmapKindOffset = 36;
// No job has more planes than this; a bitmap with more is not a page copy.
constexpr int kMaxCopyBitmapPlanes = 7;

struct CopyLayout {
  std::uint8_t* image;         // the whole file; records' handles and read positions are kept in it
  std::size_t imageSize;
  int recordCount;             // N
  std::uint32_t totalRows;     // as the header says
  std::uint32_t endRow;        // where the layout ends: totalRows, or earlier when the group table or the page does
  int pageWidth;
  int pageHeight;
  std::size_t groupOffset;     // the current group's header in the image
  std::uint64_t currentRow;
  std::uint64_t groupEnd;      // the row at which the current group ends
  std::uint8_t* data;          // one plane row of a bitmap, with room for its widening
  std::size_t dataCapacity;
  std::uint8_t* kinds;         // each record's kind digit, read per combine at 2 and 8 bits
  bool copiesLost;             // a bitmap could not be opened or read: the layout ended early
  std::int32_t lostBitmap;     // the identifier of that bitmap
};

// Loads the layout file at path for a job of bitsPerPixel whose bands need a
// page at least minPageWidth pixels wide. Null when the file cannot be read,
// is short, or does not hold together (see docs/raster-job.md).
CopyLayout* readCopyLayoutFile(const JobEnvironment& env, const char* path, long long minPageWidth,
                               int bitsPerPixel);

// Combines the layout's next `rows` rows into plane rows: row r of plane j is
// planeRows[j] + r * rowLength and holds rowLength bytes. -1 when nothing was
// combined (the layout is exhausted, a bitmap could not be opened or read, or
// the bit depth is not 1, 2 or 8); otherwise the layout rows still remaining.
// A bitmap that could not be opened or read ends the layout and sets
// copiesLost and lostBitmap.
int combineLayoutRows(CopyLayout& layout, const HostPort& host, int rows, int bitsPerPixel, int rowLength,
                      int planes, std::uint8_t* const* planeRows);

void releaseCopyLayout(const JobEnvironment& env, CopyLayout* layout);

}  // namespace vexmoor
