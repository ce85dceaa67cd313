#include "raster/job/printer_job.h"

#include <climits>
#include <cstring>

#include "raster/encode/command_stream.h"
#include "raster/encode/mirror.h"
#include "raster/job/colour_pipeline.h"
#include "raster/job/converted_planes.h"
#include "raster/job/copy_layout_hook.h"
#include "raster/job/print_mode_table.h"

namespace vexmoor {
namespace {

void* allocate(PrinterJob& job, std::size_t bytes) {
  return job.env.memory.allocateZeroed(job.env.memory.context, bytes ? bytes : 1);
}

void release(PrinterJob& job, void* block) {
  if (block) job.env.memory.release(job.env.memory.context, block);
}

// Bytes of one packed row of `pixels` pixels: whole 32-bit words.
long long packedRowBytes(long long bitsPerPixel, long long pixels) {
  return bitsPerPixel * ((pixels + 31) / 32) * 4;
}

int sinkWrite(void* context, const void* bytes, std::uint32_t length) {
  auto* job = static_cast<PrinterJob*>(context);
  return writeSpoolChannel(job->env, *job->channel, bytes, length) ? 0 : -1;
}

ByteSink channelSink(PrinterJob& job) { return ByteSink{&sinkWrite, &job}; }

void releaseBandBuffers(PrinterJob& job) {
  releaseConvertedPlanes(job.env.memory, job.convertedPlanes, kMaxInputPlanes, job.convertedCapacity);
  for (std::uint8_t*& p : job.screenedPlanes) {
    release(job, p);
    p = nullptr;
  }
  release(job, job.scratch);
  job.scratch = nullptr;
}

// Makes the converted, screened and scratch buffers fit the band; they only grow.
bool prepareBandBuffers(PrinterJob& job, void** planes, int width, int lines, int planeCount) {
  job.inputPlaneCount = planeCount;
  job.inputWidth = job.adjustWidth = width;
  job.inputLines = lines;
  job.inputPixels = width * lines;  // checked against overflow by the caller
  for (int i = 0; i < kMaxInputPlanes; ++i) job.inputPlanes[i] = i < planeCount ? planes[i] : nullptr;
  job.screenWidth = job.screenWidth2 = width;
  job.screenLines = lines;

  if (width > job.pageWidth) job.pageWidth = width;
  long long offsetRow = packedRowBytes(job.bitsPerPixel, job.leftOffset);
  if (offsetRow > job.rowLength) {
    // A longer row would not fit the channel's compression buffer.
    if (std::size_t(offsetRow) * 2 > job.channel->compressionSize) return false;
    job.rowLength = int(offsetRow);
    job.screenedCover = anythingHeld();
  }
  job.bandLines = lines;

  long long needed = (long long)lines * job.rowLength;
  if (needed > job.screenedCapacity || !job.screenedPlanes[0]) {
    for (int i = 0; i < job.outputPlaneCount; ++i) {
      release(job, job.screenedPlanes[i]);
      job.screenedPlanes[i] = static_cast<std::uint8_t*>(allocate(job, std::size_t(needed)));
      if (!job.screenedPlanes[i]) return false;
    }
    release(job, job.scratch);
    job.scratch = static_cast<std::uint8_t*>(allocate(job, std::size_t(needed)));
    if (!job.scratch) return false;
    job.screenedCapacity = int(needed);
    job.screenedCover = nothingHeld();
  }
  return true;
}

// The converted buffers of the module's own, taken when a continuous-tone
// band first needs them: pre-screened bands never use them. An adjustment in
// place works on copies of the host's planes.
bool prepareConverted(PrinterJob& job) {
  const bool inPlace = adjustsInPlace(job);
  return prepareConvertedPlanes(job.env.memory, job.convertedPlanes, kMaxInputPlanes, job.convertedCapacity,
                                inPlace ? job.inputPlaneCount : job.inkCount, job.inputPixels,
                                inPlace ? job.inputPlanes : nullptr);
}

void coverScreened(PrinterJob& job, const ScreenedCover& band) {
  coverScreenedPlanes(job.screenedCover, band, job.screenedPlanes, job.outputPlaneCount,
                      std::size_t(job.screenedCapacity));
}

// A failed allocation leaves the job without band buffers and dump: it takes no more bands.
int failBandBuffers(PrinterJob& job) {
  releaseBandBuffers(job);
  closeInputDump(job.env, job.dump);
  job.dump = nullptr;
  job.bandBuffersLost = true;
  return 1;
}

int sendBand(PrinterJob& job) {
  ByteSink sink = channelSink(job);
  const std::uint8_t* rows[kMaxScreenedPlanes] = {};
  for (int i = 0; i < job.outputPlaneCount; ++i) rows[i] = job.screenedPlanes[i];
  if (writeRows(sink, job.channel->compression, job.channel->compressionSize, rows, job.outputPlaneCount,
                job.rowLength, job.bandLines) != 0)
    return 1;
  if (job.rowsPerDocument != 0) {
    job.rowsInDocument += std::uint32_t(job.bandLines);
    if (job.rowsInDocument > job.rowsPerDocument) {
      job.rowsInDocument = 0;
      // A document whose end failed may never print: the call reports it
      // once the next document is open, as it reports a wait the host ended.
      if (!endSpoolDocument(job.env, *job.channel)) job.failAtCallEnd = true;
      const SpoolWaitEnd wait = waitForSpoolDiskSpace(job.env, job.jobId, job.channel->printerName);
      if (!reopenSpoolChannel(job.env, *job.channel)) return 1;
      // The rows of the top offset and the drain go on; the call reports it.
      if (wait == SpoolWaitEnd::EndedByHost) job.failAtCallEnd = true;
    }
  }
  return 0;
}

// A wait that the host ended is not space become free, and a document whose
// end failed may not print: the call during which either happened returns 1
// once its work is done (the next document is open).
int reportSplitFailure(PrinterJob& job, int result) {
  const bool failed = job.failAtCallEnd;
  job.failAtCallEnd = false;
  return failed ? 1 : result;
}

// Limits every band must keep, so that nothing reads or writes outside the job's buffers.
bool bandFitsJob(const PrinterJob& job, void** planes, int width, int lines, int planeCount) {
  if (job.bandBuffersLost) return false;
  if (width < 0 || lines < 0 || planeCount < 0 || planeCount > kMaxInputPlanes) return false;
  // A band taller than the page would print rows the host never announced.
  if (width > job.initWidth || lines > job.initHeight) return false;
  // inputPixels and screenedCapacity are ints; every size derived from them
  // (2 x inputPixels bytes of a converted plane) is computed in size_t.
  if ((long long)width * lines > INT_MAX) return false;
  if ((long long)lines * job.rowLength > INT_MAX) return false;
  if (planeCount > 0 && !planes) return false;
  for (int i = 0; i < planeCount; ++i)
    if (!planes[i]) return false;
  if (job.dump && planeCount > job.dumpPlaneLimit) return false;
  return true;
}

// The copy-then-mirror-then-send path of pre-screened bands (also the top
// offset and the copy layout's own rows, which are never mirrored).
int sendScreenedBand(PrinterJob& job, void** planes, int width, int lines, int planeCount, bool mirror) {
  if (!prepareBandBuffers(job, planes, width, lines, planeCount)) return failBandBuffers(job);
  const std::size_t bytes = std::size_t(job.rowLength) * std::size_t(lines);
  // The planes the host did not send go out blank, never as an earlier band.
  coverScreened(job, wholeRows(planeCount));
  // A host plane is mirrored on its way into the job's buffer, in one pass.
  for (int i = 0; i < planeCount; ++i) {
    if (mirror)
      mirrorPlaneInto(static_cast<const std::uint8_t*>(planes[i]), job.screenedPlanes[i], lines, job.rowLength,
                      job.pageWidth, job.bitsPerPixel);
    else
      std::memcpy(job.screenedPlanes[i], planes[i], bytes);
  }
  return sendBand(job);
}

int sendLayoutOwnRows(void* context, void** planes, int width, int lines, int planeCount) {
  return sendScreenedBand(*static_cast<PrinterJob*>(context), planes, width, lines, planeCount, false);
}

// What the copy layout's branches need of the job, and nothing more.
LayoutRows layoutRows(PrinterJob& job) {
  return LayoutRows{job.layout,        &job.env,      job.bitsPerPixel, job.rowLength, job.outputPlaneCount,
                    job.pageWidth, LayoutRowSink{&job, &sendLayoutOwnRows}};
}

int sendTopOffsetRows(PrinterJob& job) {
  if (job.layout) return sendLayoutTopOffset(layoutRows(job), job.topOffset);
  void* zeros = allocate(job, std::size_t(job.screenedCapacity));
  if (!zeros) return 1;
  // A plane beyond the screened planes has nowhere to go; blank rows need none.
  int planeCount = job.inputPlaneCount < job.outputPlaneCount ? job.inputPlaneCount : job.outputPlaneCount;
  if (planeCount < 0) planeCount = 0;
  void* planes[kMaxInputPlanes];
  for (void*& p : planes) p = zeros;
  int result = 0;
  for (int row = 0; row < job.topOffset && result == 0; ++row)
    result = sendScreenedBand(job, planes, job.inputWidth, 1, planeCount, job.mirror == 1);
  release(job, zeros);
  return result;
}

int writeJobStartAndTopOffset(PrinterJob& job) {
  char16_t modeName[261];
  readWideText(*job.params, PPB_MODE_NAME, 260, modeName, 261);
  int mode = lookupPrintMode(readSigned16(*job.params, PPB_RESOLUTION1), readSigned16(*job.params, PPB_RESOLUTION2),
                             job.bitsPerPixel, modeName);
  if (mode < 0) return 1;
  ByteSink sink = channelSink(job);
  if (writeJobStart(sink, mode, job.rasterWidth, job.bitsPerPixel) != 0) return 1;
  if (job.topOffset != 0) return sendTopOffsetRows(job);
  return 0;
}

// Releases everything the job holds; false when ending its document failed.
bool freeJob(PrinterJob* job) {
  closeInputDump(job->env, job->dump);
  job->dump = nullptr;
  freeCopyLayout(job->env, job->layout);
  closeColourAdjust(*job);
  closeScreening(*job);
  // A job closed before its trailer went out (never stopped, a failed start
  // or stop) would hand the printer a cut-off page: its document is deleted.
  if (job->channel && !job->pageComplete) abandonSpoolDocument(job->env, *job->channel);
  const bool ended = closeSpoolChannel(job->env, job->channel);
  job->channel = nullptr;
  releaseParamBlock(job->env, job->params);
  job->params = nullptr;
  releaseBandBuffers(*job);
  MemoryPort memory = job->env.memory;
  memory.release(memory.context, job);
  return ended;
}

}  // namespace

PrinterJob* initPrinterJob(const JobEnvironment& env, int jobId, const char* dumpPath, int width, int height,
                           int planeCount) {
  auto* job = static_cast<PrinterJob*>(env.memory.allocateZeroed(env.memory.context, sizeof(PrinterJob)));
  if (!job) return nullptr;
  job->env = env;
  job->params = fetchParamBlock(env, jobId);
  if (!job->params) return freeJob(job), nullptr;
  const PrintParamBlock& block = *job->params;

  job->jobId = jobId;
  job->inputWidth = job->adjustWidth = width;
  job->inputPlaneCount = readSigned8(block, PPB_INPUT_PLANES);
  job->inputColourType = std::int8_t(readUnsigned8(block, PPB_INPUT_COLOUR_TYPE));
  job->screeningMethod = readSigned8(block, PPB_SCREENING);
  job->mirror = readSigned8(block, PPB_MIRROR);
  // A template name whose counter stays locked opens nothing.
  if (!readDeviceInfo(env, block, job->printerName)) return freeJob(job), nullptr;
  job->leftOffset = readSigned32(block, PPB_LEFT_OFFSET);
  job->topOffset = readSigned32(block, PPB_TOP_OFFSET);
  std::uint8_t bits = readUnsigned8(block, PPB_BITS_PER_PIXEL);
  job->bitsPerPixel = std::int8_t(bits == 0 ? 1 : bits);
  job->screenWidth = job->screenWidth2 = job->inputWidth;
  const JobInks inks = jobInks(job->screeningMethod, readSigned8(block, PPB_OUTPUT_PLANES),
                               std::int8_t(readUnsigned8(block, PPB_INK_SET)));
  job->inkCount = inks.count;
  job->inkSet = std::int8_t(inks.inkSet);
  job->convertedCapacity = 0;
  job->initWidth = width;
  job->initHeight = height;
  job->dumpPlaneLimit = planeCount;

  // Values the job's buffers cannot honour are refused here rather than
  // overrunning a buffer later.
  if (width < 0 || height < 0 || job->leftOffset < 0 || job->topOffset < 0 || job->inkCount < 1 ||
      job->inkCount > kMaxScreenedPlanes || job->bitsPerPixel < 1 || job->bitsPerPixel > 8)
    return freeJob(job), nullptr;

  // The bands' rows hold the left offset and the widest band the job takes.
  job->layout = loadCopyLayout(env, block, (long long)width + job->leftOffset, job->bitsPerPixel);
  if (job->layout) {
    job->pageWidth = job->rasterWidth = copyLayoutPageWidth(*job->layout);
    job->pageHeight = copyLayoutPageHeight(*job->layout);
  } else {
    // The page includes the offsets; a page whose size an int cannot hold
    // would wrap to a small or negative size and undersize every buffer.
    const long long pageWidth = (long long)width + job->leftOffset;
    const long long pageHeight = (long long)height + job->topOffset;
    if (pageWidth > INT_MAX || pageHeight > INT_MAX) return freeJob(job), nullptr;
    job->pageWidth = job->rasterWidth = int(pageWidth);
    job->pageHeight = int(pageHeight);
  }
  long long rowLength = packedRowBytes(job->bitsPerPixel, job->pageWidth);
  if (job->pageWidth < 0 || rowLength > INT_MAX / 2) return freeJob(job), nullptr;
  job->rowLength = int(rowLength);
  job->outputPlaneCount = job->inkCount;
  job->outputInkSet = job->inkSet;
  job->screenedCapacity = job->rowLength;
  // A job some of whose inks would never reach the printer prints a wrong
  // page: refused before anything opens.
  if (!inksReachThePrinter(*job)) return freeJob(job), nullptr;

  // Screening takes its diffusion parameters from the colour-adjust handle.
  const bool screening = openColourAdjust(*job) && openScreening(*job);
  // Without both, every continuous-tone band would go out blank or unadjusted
  // while each call reported success. A job of pre-screened bands uses neither.
  if (screensContinuousTone(*job) && !screening) return freeJob(job), nullptr;
  if (dumpPath) job->dump = openInputDump(env, dumpPath, width, height, planeCount);

  char16_t documentName[kSpoolNameCapacity];
  readWideText(block, PPB_DOCUMENT_NAME, kSpoolNameCapacity - 1, documentName, kSpoolNameCapacity);
  job->channel = openSpoolChannel(env, job->printerName, 2 * std::size_t(job->rowLength), documentName);
  if (!job->channel) return freeJob(job), nullptr;
  job->rowsPerDocument =
      computeRowsPerDocument(env, std::uint32_t(job->rowLength), std::uint32_t(job->outputPlaneCount));
  job->rowsInDocument = 0;
  job->stage = JobStage::Opened;
  return job;
}

int startPrinterJob(PrinterJob& job) {
  if (job.stage != JobStage::Opened) return 1;
  // Started only when the job-start commands and the top offset went out;
  // after a failed start only closing is left (a retry would repeat them).
  const int result = reportSplitFailure(job, writeJobStartAndTopOffset(job));
  job.stage = result == 0 ? JobStage::Started : JobStage::Ended;
  return result;
}

int writePrinterBand(PrinterJob& job, void** planes, int width, int lines, int planeCount) {
  if (job.stage != JobStage::Started) return 1;
  // Without a screening method nothing screens the band: it would go out as
  // whatever the screened buffers held. With a copy layout the band is a
  // stretch of copy rows over blank.
  const bool screens = screensContinuousTone(job);
  if (!screens && !job.layout) return 1;
  if (!bandFitsJob(job, planes, width, lines, planeCount)) return 1;
  // Screening reads inkCount converted planes; without conversion those are
  // copies of the host's, and a missing one would hold the band before.
  if (job.inputColourType == job.inkSet && planeCount < job.inkCount) return 1;
  // Screening writes width pixels from the left offset into every row.
  if (packedRowBytes(job.bitsPerPixel, (long long)job.leftOffset + width) > job.rowLength) return 1;
  if (job.dump && !appendContoneBand(*job.dump, planes, width, lines, planeCount)) return 1;
  if (!prepareBandBuffers(job, planes, width, lines, planeCount) || (screens && !prepareConverted(job)))
    return failBandBuffers(job);
  // Screening writes the band's width from the left offset; whatever an
  // earlier band left beyond that is cleared. A layout may combine anywhere.
  coverScreened(job, job.layout ? wholeRows(job.outputPlaneCount)
                                : screenedImage(job.inkCount, job.bitsPerPixel, job.leftOffset, width));
  if (job.layout)
    for (int i = 0; i < job.outputPlaneCount; ++i) std::memset(job.screenedPlanes[i], 0, job.screenedCapacity);
  if (screens) {
    colourAdjustBand(job);
    screenBand(job);
  }
  if (job.layout) combineCopyLayoutBand(layoutRows(job), job.bandLines, job.screenedPlanes);
  return reportSplitFailure(job, sendBand(job));
}

int sendPrinterBand(PrinterJob& job, void** planes, int width, int lines, int planeCount) {
  if (job.stage != JobStage::Started) return 1;
  if (!bandFitsJob(job, planes, width, lines, planeCount)) return 1;
  if (planeCount > job.outputPlaneCount) return 1;  // no screened buffer to copy into
  if (job.dump) {
    // The record holds the packed bytes of each row, not 16-bit samples.
    int recordBytes = int(packedRowBytes(job.bitsPerPixel, width));
    if (recordBytes <= job.rowLength)
      appendScreenedBand(*job.dump, planes, recordBytes, job.rowLength, lines, planeCount);
  }
  return reportSplitFailure(job, sendScreenedBand(job, planes, width, lines, planeCount, job.mirror == 1));
}

int stopPrinterJob(PrinterJob& job) {
  if (job.stage != JobStage::Started) return 1;
  job.stage = JobStage::Ended;  // whatever the result: a second stop would write a second trailer
  if (job.layout && drainCopyLayout(layoutRows(job)) != 0) return 1;
  ByteSink sink = channelSink(job);
  if (writeJobEnd(sink) != 0) return 1;
  job.pageComplete = true;
  // The page is whole but lacks the copies of a bitmap that could not be
  // read: the host must not take it for the page it sent.
  return reportSplitFailure(job, copyLayoutLostCopies(job.layout) ? 1 : 0);
}

int closePrinterJob(PrinterJob* job) {
  if (!job) return 1;
  // A page whose document the spooler did not take as ended is not printed
  // for sure: reported like any failed write.
  return freeJob(job) ? 0 : 1;
}

}  // namespace vexmoor
