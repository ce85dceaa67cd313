// The eight exported functions: each binds the platform's ports and the
// imported host libraries and hands over to the job operations. A null
// handle fails with 1 and touches nothing.
#include "raster/job/vexmoor_exports.h"

#include "raster/job/printer_job.h"
#include "raster/spooler/system_ports.h"

using vexmoor::PrinterJob;

extern "C" {

VEXMOOR_API void* InitPrinter_16_FUNC(int jobId, const char* dumpPath, int width, int height, int planeCount) {
  return vexmoor::initPrinterJob(vexmoor::systemEnvironment(vexmoor::linkedHostPort()), jobId, dumpPath, width,
                                 height, planeCount);
}

VEXMOOR_API int StartPrinter_16_FUNC(void* job) {
  return job ? vexmoor::startPrinterJob(*static_cast<PrinterJob*>(job)) : 1;
}

VEXMOOR_API int WritePrinter_16_FUNC(void* job, void** planes, int width, int lines, int planeCount) {
  return job ? vexmoor::writePrinterBand(*static_cast<PrinterJob*>(job), planes, width, lines, planeCount) : 1;
}

VEXMOOR_API int SendPrinter_16_FUNC(void* job, void** planes, int width, int lines, int planeCount) {
  return job ? vexmoor::sendPrinterBand(*static_cast<PrinterJob*>(job), planes, width, lines, planeCount) : 1;
}

VEXMOOR_API int StopPrinter_16_FUNC(void* job) {
  return job ? vexmoor::stopPrinterJob(*static_cast<PrinterJob*>(job)) : 1;
}

VEXMOOR_API int ClosePrinter_16_FUNC(void* job) {
  return vexmoor::closePrinterJob(static_cast<PrinterJob*>(job));
}

VEXMOOR_API int StatPrinter_16_FUNC(void) { return 0; }
VEXMOOR_API int PutPrinter_16_FUNC(void) { return 0; }

}  // extern "C"
