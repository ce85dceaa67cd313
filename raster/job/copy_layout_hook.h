// The copy layout's branches of a job: loading it at open, the top offset in
// chunks of 32 rows, the overlay of every WritePrinter_16_FUNC band and the
// drain of the rows left after the last band. The job hands over only what
// these need (LayoutRows): the layout never reaches into the job record.
#pragma once

#include <cstdint>

#include "raster/job/param_block.h"
#include "raster/job/ports.h"

namespace vexmoor {

struct CopyLayout;

// Where the layout's own rows go: the job's pre-screened band path, with
// its split and buffers. Rows of the layout alone are sent as they are
// (never mirrored). 0 on success.
struct LayoutRowSink {
  void* context;
  int (*send)(void* context, void** planes, int width, int lines, int planeCount);
};

// The layout with the shape of the job's rows and the sink for its own.
struct LayoutRows {
  CopyLayout* layout;
  const JobEnvironment* env;  // memory for the layout's row buffers, the host's copy bitmaps
  int bitsPerPixel;
  int rowLength;         // bytes of one plane row
  int outputPlaneCount;  // planes of every row
  int pageWidth;         // pixels, as the sink takes them
  LayoutRowSink sink;
};

// Loads the layout named in the parameter block for a job whose bands need
// a page minPageWidth pixels wide; null when there is none or it cannot be
// used (the job then runs without it).
CopyLayout* loadCopyLayout(const JobEnvironment& env, const PrintParamBlock& params, long long minPageWidth,
                           int bitsPerPixel);
// The layout's page size, which becomes the job's.
int copyLayoutPageWidth(const CopyLayout& layout);
int copyLayoutPageHeight(const CopyLayout& layout);
// The top offset in chunks of 32 rows overlaid with the layout; 0 on success.
int sendLayoutTopOffset(const LayoutRows& rows, int topOffset);
// Combines the layout's next `lines` rows into the band's planes.
void combineCopyLayoutBand(const LayoutRows& rows, int lines, std::uint8_t* const* planes);
// Sends the layout rows below the last band, one row at a time; 0 on success.
int drainCopyLayout(const LayoutRows& rows);
// Whether the layout ended early because a copy bitmap could not be opened
// or read: the page went out without some of its copies.
bool copyLayoutLostCopies(const CopyLayout* layout);
void freeCopyLayout(const JobEnvironment& env, CopyLayout*& layout);

}  // namespace vexmoor
