// The job record behind a raster job handle: what the operations of
// printer_job.* and the colour pipeline work on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/device_info.h"
#include "raster/job/input_dump_file.h"
#include "raster/job/param_block.h"
#include "raster/job/ports.h"
#include "raster/job/screened_cover.h"
#include "raster/job/spool_channel.h"

namespace vexmoor {

struct DitherMatrix;
struct CopyLayout;

constexpr int kMaxInputPlanes = 7;
constexpr int kMaxScreenedPlanes = 6;
constexpr int kMaxDitherPlanes = 4;

enum class ColourVariant { CMYK, CMYKOrGr, CMYKLcLm };

// Where a job stands in its calling order. A call that its stage does not
// allow fails with 1 and writes nothing; ClosePrinter_16_FUNC is always allowed.
enum class JobStage {
  Opened,   // InitPrinter_16_FUNC returned the handle: StartPrinter_16_FUNC may follow
  Started,  // StartPrinter_16_FUNC returned 0: bands and StopPrinter_16_FUNC may follow
  Ended,    // StopPrinter_16_FUNC was called, or StartPrinter_16_FUNC failed: only closing
};

struct PrinterJob {
  void* colorAdjust;
  union {
    void* errdiff;
    DitherMatrix* matrices[kMaxDitherPlanes];
  } screening;
  SpoolChannel* channel;
  PrintParamBlock* params;
  InputDumpFile* dump;
  CopyLayout* layout;
  void* inputPlanes[kMaxInputPlanes];
  int inputWidth;
  int adjustWidth;
  int inputLines;
  int inputPixels;
  int inputPlaneCount;
  std::int8_t inputColourType;
  void* convertedPlanes[kMaxInputPlanes];  // the module's own (copies of the host's for the CMYK variant)
  int screenWidth, screenWidth2, screenLines;
  int convertedCapacity;
  int inkCount;
  std::int8_t inkSet;
  std::uint8_t* screenedPlanes[kMaxScreenedPlanes];
  std::uint8_t* scratch;
  int pageWidth;
  int rowLength;
  int bandLines;
  int screenedCapacity;
  int outputPlaneCount;
  std::int8_t outputInkSet;
  std::int8_t bitsPerPixel;
  int screeningMethod;
  int mirror;
  int jobId;
  int leftOffset;
  int topOffset;
  int rasterWidth;
  int pageHeight;
  char printerName[kPrinterNameCapacity];
  std::uint32_t rowsInDocument;
  std::uint32_t rowsPerDocument;

  // Beyond the record's documented fields: how the job reaches the machine,
  // and what the module needs to keep every access inside its own buffers.
  JobEnvironment env;
  void* colorAdjustData;  // lent to the colour-adjust open call; kept until the job closes
  int initWidth;        // width given at open: no band may be wider
  int initHeight;       // height given at open: no band may be taller
  int dumpPlaneLimit;   // plane count given at open (limits bands while a dump is open)
  bool screeningOpen;   // whether the screening open succeeded
  bool bandBuffersLost; // band buffers were released after a failed allocation
  bool failAtCallEnd;   // a split of the current call failed to end its document, or the host ended its wait
  ColourVariant variant;
  JobStage stage;
  // StopPrinter_16_FUNC wrote the job-end commands: the document is whole and
  // goes to the printer at close. Any other close discards it.
  bool pageComplete;
  ScreenedCover screenedCover;  // what the screened buffers may hold besides zeros
};

}  // namespace vexmoor
