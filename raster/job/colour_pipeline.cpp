#include "raster/job/colour_pipeline.h"

#include <cstring>

#include "raster/encode/command_stream.h"
#include "raster/encode/dither.h"
#include "raster/job/host_contract.h"

namespace vexmoor {

ColourVariant chooseColourVariant(int inputColourType, int outputInkSet) {
  if (inputColourType == 2 && outputInkSet == 6) return ColourVariant::CMYKOrGr;
  if (inputColourType == 2 && outputInkSet == 7) return ColourVariant::CMYKLcLm;
  return ColourVariant::CMYK;
}

bool screensContinuousTone(int screeningMethod) {
  return screeningMethod == 3 || screeningMethod == 4 || screeningMethod == 5;
}

bool screensContinuousTone(const PrinterJob& job) { return screensContinuousTone(job.screeningMethod); }

JobInks jobInks(int screeningMethod, int blockPlaneCount, int blockInkSet) {
  if (screeningMethod == 4) return JobInks{4, 2};
  return JobInks{blockPlaneCount, blockInkSet};
}

InkRefusal inkRefusal(int screeningMethod, int outputPlaneCount, int inputColourType, int inkSet) {
  // The stream carries four planes: light or extra inks would be dropped.
  if (outputPlaneCount > kStreamPlanes) return InkRefusal::MorePlanesThanTheStream;
  if (!screensContinuousTone(screeningMethod)) return InkRefusal::None;  // the host screened its planes itself
  // The CMYK variant adjusts the planes as they come and converts no colour
  // type: planes of another colour type than the ink set would print as the
  // wrong inks.
  const bool cmyk = chooseColourVariant(std::uint8_t(inputColourType), std::uint8_t(inkSet)) == ColourVariant::CMYK;
  return !cmyk || inputColourType == inkSet ? InkRefusal::None : InkRefusal::AdjustedPlanesUnread;
}

bool inksReachThePrinter(const PrinterJob& job) {
  // Asked before anything opens, while the output ink set is still the job's.
  return inkRefusal(job.screeningMethod, job.outputPlaneCount, job.inputColourType, job.inkSet) ==
         InkRefusal::None;
}

bool openColourAdjust(PrinterJob& job) {
  const JobEnvironment& env = job.env;
  job.variant = chooseColourVariant(std::uint8_t(job.inputColourType), std::uint8_t(job.outputInkSet));
  void* data = env.memory.allocateZeroed(env.memory.context, PLEXOR_COLOR_ADJUST_DATA_SIZE);
  if (!data) return false;  // no handle: closing skips it
  void* dataAddress = data;
  env.host.getColorAdjustData(readSigned32(*job.params, PPB_COLOR_ADJUST_ID), data, 0, &dataAddress);
  switch (job.variant) {
    case ColourVariant::CMYKOrGr: job.colorAdjust = env.host.openColorAdjustCMYKOrGr(data); break;
    case ColourVariant::CMYKLcLm: job.colorAdjust = env.host.openColorAdjustCMYKLcLm(data); break;
    case ColourVariant::CMYK: job.colorAdjust = env.host.openColorAdjustCMYK(data); break;
  }
  // The library may keep pointing into the data: it lives as long as the job.
  job.colorAdjustData = data;
  return job.colorAdjust != nullptr;
}

namespace {

bool openErrorDiffusion(PrinterJob& job) {
  const JobEnvironment& env = job.env;
  if (job.bitsPerPixel == 2) {
    PlexorErrdiffParams record;
    std::memset(&record, 0, sizeof record);
    int filled = 0;
    const int inkSet = std::uint8_t(job.outputInkSet);
    if (inkSet == 2) {
      filled = env.host.getErrorDiffParam(job.colorAdjust, &record);
    } else if (inkSet == 6 || inkSet == 7) {
      filled = std::uint8_t(job.inputColourType) == 2 ? env.host.getErrorDiffParamLcLm(job.colorAdjust, &record)
                                                        : env.host.getErrorDiffParam(job.colorAdjust, &record);
    }
    if (filled == 0) {
      record.inkCount = job.inkCount;
      record.levels = 4;
    }
    job.screening.errdiff = env.host.openErrdiff4(job.jobId, job.screenWidth, job.inkCount, &record);
  } else {
    job.screening.errdiff = env.host.openErrdiff(job.jobId, job.screenWidth, job.inkCount);
  }
  return job.screening.errdiff != nullptr;
}

bool openDitherMatrices(PrinterJob& job) {
  const JobEnvironment& env = job.env;
  const int screenId = readSigned32(*job.params, PPB_SCREEN_ID);
  for (int i = 0; i < job.inkCount && i < kMaxDitherPlanes; ++i) {
    PlexorScreenRecord record;
    std::memset(&record, 0, sizeof record);
    std::uint32_t token = 0;
    bool ok = env.host.getScreenData(screenId, &record, 0, &token) != 0 && i < record.entryCount &&
              record.entries != nullptr;
    DitherMatrix* matrix = nullptr;
    if (ok) {
      const PlexorScreenEntry& e = record.entries[i];
      matrix = createDitherMatrix(e.width, e.height, e.shift, e.thresholds);
    }
    if (!matrix) {
      for (int k = 0; k < i; ++k) {
        freeDitherMatrix(job.screening.matrices[k]);
        job.screening.matrices[k] = nullptr;
      }
      return false;
    }
    job.screening.matrices[i] = matrix;
  }
  return true;
}

}  // namespace

bool openScreening(PrinterJob& job) {
  switch (job.screeningMethod) {
    case 3:
    case 5: job.screeningOpen = openErrorDiffusion(job); break;
    case 4: job.screeningOpen = openDitherMatrices(job); break;
    default: job.screeningOpen = false; break;  // bands are not screened
  }
  return job.screeningOpen;
}

bool adjustsInPlace(const PrinterJob& job) { return job.variant == ColourVariant::CMYK; }

void colourAdjustBand(PrinterJob& job) {
  const HostPort& host = job.env.host;
  if (!job.colorAdjust) return;
  switch (job.variant) {
    case ColourVariant::CMYKOrGr:
      host.writeColorAdjustCMYKOrGr(job.colorAdjust, job.inputPlanes, job.adjustWidth, job.inputLines,
                                    job.inputPlaneCount, job.convertedPlanes, job.inkCount);
      break;
    case ColourVariant::CMYKLcLm:
      host.writeColorAdjustCMYKLcLm(job.colorAdjust, job.inputPlanes, job.adjustWidth, job.inputLines,
                                    job.inputPlaneCount, job.convertedPlanes, job.inkCount);
      break;
    case ColourVariant::CMYK:
      // This variant works in place: it is handed the module's copies of the
      // host's planes (the converted planes), never the host's own.
      host.writeColorAdjustCMYKOld(job.colorAdjust, job.convertedPlanes, job.adjustWidth, job.inputLines,
                                   job.inputPlaneCount);
      break;
  }
}

void screenBand(PrinterJob& job) {
  if (!job.screeningOpen) return;
  const HostPort& host = job.env.host;
  void* screened[kMaxScreenedPlanes] = {};
  for (int i = 0; i < job.outputPlaneCount; ++i) screened[i] = job.screenedPlanes[i];
  if (job.screeningMethod == 3 || job.screeningMethod == 5) {
    auto write = job.bitsPerPixel == 2 ? host.writeErrdiff4 : host.writeErrdiff;
    write(job.screening.errdiff, job.inkCount, job.convertedPlanes, screened, job.screenWidth2, job.rowLength,
          job.screenLines, job.leftOffset, char(job.mirror));
    return;
  }
  // The module's own dither: every row of the band is narrowed, dithered and
  // (for 2-bit output) expanded, not only the first. The narrowing works in
  // the converted planes, which are the module's own.
  for (int i = 0; i < job.inkCount; ++i) {
    auto* samples = static_cast<std::uint8_t*>(job.convertedPlanes[i]);
    narrowTo8Bit(samples, job.screenWidth2 * job.screenLines);
    ditherBand(*job.screening.matrices[i], samples, job.screenWidth2, job.screenLines, job.screenedPlanes[i],
               job.rowLength, job.leftOffset, job.mirror == 1);
  }
  if (job.bitsPerPixel == 2) {
    // The 1-bit half is cleared from the image's end, not the page's: a band
    // narrower than the page would widen the previous band's 2-bit bytes.
    const int imageEnd = job.leftOffset + job.screenWidth2;
    for (int i = 0; i < job.inkCount; ++i)
      for (int r = 0; r < job.screenLines; ++r)
        expandRow1To2(job.screenedPlanes[i] + std::size_t(r) * job.rowLength, job.rowLength, imageEnd);
  }
}

void closeScreening(PrinterJob& job) {
  const HostPort& host = job.env.host;
  if (job.screeningMethod == 3 || job.screeningMethod == 5) {
    if (job.screening.errdiff) {
      if (job.bitsPerPixel == 2)
        host.closeErrdiff4(job.screening.errdiff);
      else
        host.closeErrdiff(job.screening.errdiff);
    }
    job.screening.errdiff = nullptr;
  } else if (job.screeningMethod == 4) {
    for (DitherMatrix*& m : job.screening.matrices) {
      if (m) freeDitherMatrix(m);
      m = nullptr;
    }
  }
  job.screeningOpen = false;
}

void closeColourAdjust(PrinterJob& job) {
  const HostPort& host = job.env.host;
  if (!job.colorAdjust) return releaseColourAdjustData(job);
  switch (job.variant) {
    case ColourVariant::CMYKOrGr: host.closeColorAdjustCMYKOrGr(job.colorAdjust); break;
    case ColourVariant::CMYKLcLm: host.closeColorAdjustCMYKLcLm(job.colorAdjust); break;
    case ColourVariant::CMYK: host.closeColorAdjustCMYK(job.colorAdjust); break;
  }
  job.colorAdjust = nullptr;
  releaseColourAdjustData(job);
}

void releaseColourAdjustData(PrinterJob& job) {
  if (job.colorAdjustData) job.env.memory.release(job.env.memory.context, job.colorAdjustData);
  job.colorAdjustData = nullptr;
}

}  // namespace vexmoor
