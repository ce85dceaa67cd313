#include "raster/job/copy_layout_hook.h"

#include "raster/job/printer_job.h"

namespace vexmoor {

CopyLayout* loadCopyLayout(PrinterJob&) { return nullptr; }
void applyCopyLayoutPage(PrinterJob&) {}
int sendLayoutTopOffset(PrinterJob&) { return 1; }
void combineCopyLayoutBand(PrinterJob&) {}
int drainCopyLayout(PrinterJob&) { return 0; }
void freeCopyLayout(PrinterJob& job) { job.layout = nullptr; }

}  // namespace vexmoor
