// The operations the exported functions run on a raster job.
#pragma once

#include "raster/job/job_record.h"

namespace vexmoor {

PrinterJob* initPrinterJob(const JobEnvironment& env, int jobId, const char* dumpPath, int width, int height,
                           int planeCount);
int startPrinterJob(PrinterJob& job);
int writePrinterBand(PrinterJob& job, void** planes, int width, int lines, int planeCount);
int sendPrinterBand(PrinterJob& job, void** planes, int width, int lines, int planeCount);
int stopPrinterJob(PrinterJob& job);
int closePrinterJob(PrinterJob* job);

}  // namespace vexmoor
