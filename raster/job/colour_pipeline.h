// Colour adjustment and screening of a job's bands through the host
// libraries, or through the module's own threshold-matrix dither.
#pragma once

#include "raster/job/job_record.h"

namespace vexmoor {

ColourVariant chooseColourVariant(int inputColourType, int outputInkSet);

// Whether a screening method screens continuous-tone bands (3, 4, 5); any
// other method marks a job of pre-screened bands.
bool screensContinuousTone(int screeningMethod);
bool screensContinuousTone(const PrinterJob& job);

// The inks a job screens into, from its parameter block's plane count and
// ink set: screening method 4 dithers four planes of C, M, Y and K whatever
// the block says.
struct JobInks {
  int count;
  int inkSet;
};
JobInks jobInks(int screeningMethod, int blockPlaneCount, int blockInkSet);

// Why some ink of a job would never reach the printer: more output planes
// than the command stream carries, or a continuous-tone job whose colour
// adjustment writes planes that screening does not read. The host program
// names the cause from the same rule.
enum class InkRefusal { None, MorePlanesThanTheStream, AdjustedPlanesUnread };
InkRefusal inkRefusal(int screeningMethod, int outputPlaneCount, int inputColourType, int inkSet);
bool inksReachThePrinter(const PrinterJob& job);
// Fetches the colour-adjust data and opens the variant; stores the handle.
// False when the data cannot be allocated or the library gives no handle.
bool openColourAdjust(PrinterJob& job);
// Opens error diffusion or the dither matrices by screening method.
bool openScreening(PrinterJob& job);
// Whether the job's colour adjustment works in place (the CMYK variant): it
// is then handed the module's copies of the host's planes.
bool adjustsInPlace(const PrinterJob& job);
void colourAdjustBand(PrinterJob& job);
void screenBand(PrinterJob& job);
void closeScreening(PrinterJob& job);
void closeColourAdjust(PrinterJob& job);
void releaseColourAdjustData(PrinterJob& job);

}  // namespace vexmoor
