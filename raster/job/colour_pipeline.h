// Colour adjustment and screening of a job's bands through the host
// libraries, or through the module's own threshold-matrix dither.
#pragma once

#include "raster/job/printer_job.h"

namespace vexmoor {

ColourVariant chooseColourVariant(int inputColourType, int outputInkSet);

// Whether the job's screening method screens continuous-tone bands (3, 4, 5);
// any other method marks a job of pre-screened bands.
bool screensContinuousTone(const PrinterJob& job);
// Whether every ink of the job reaches the printer: no more output planes
// than the command stream carries, and, for a job that screens continuous
// tone, screening reads the planes that colour adjustment wrote.
bool inksReachThePrinter(const PrinterJob& job);
// Fetches the colour-adjust data and opens the variant; stores the handle.
// False when the data cannot be allocated or the library gives no handle.
bool openColourAdjust(PrinterJob& job);
// Opens error diffusion or the dither matrices by screening method.
bool openScreening(PrinterJob& job);
void colourAdjustBand(PrinterJob& job);
void screenBand(PrinterJob& job);
void closeScreening(PrinterJob& job);
void closeColourAdjust(PrinterJob& job);
void releaseColourAdjustData(PrinterJob& job);

}  // namespace vexmoor
