// Colour adjustment and screening of a job's bands through the host
// libraries, or through the module's own threshold-matrix dither.
#pragma once

#include "raster/job/printer_job.h"

namespace vexmoor {

ColourVariant chooseColourVariant(int inputColourType, int outputInkSet);

// Fetches the colour-adjust data and opens the variant; stores the handle.
void openColourAdjust(PrinterJob& job);
// Opens error diffusion or the dither matrices by screening method.
bool openScreening(PrinterJob& job);
void colourAdjustBand(PrinterJob& job);
void screenBand(PrinterJob& job);
void closeScreening(PrinterJob& job);
void closeColourAdjust(PrinterJob& job);
void releaseColourAdjustData(PrinterJob& job);

}  // namespace vexmoor
