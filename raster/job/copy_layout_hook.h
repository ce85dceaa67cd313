// Where the copy layout overlay plugs into the job. Until the overlay is
// built, no layout is ever loaded (the job's layout stays null) and the
// functions below are never reached with a layout.
#pragma once

namespace vexmoor {

struct PrinterJob;
struct CopyLayout;

// Loads the layout named in the parameter block; null when there is none.
CopyLayout* loadCopyLayout(PrinterJob& job);
// Takes the layout's page width and height as the job's page size.
void applyCopyLayoutPage(PrinterJob& job);
// The top offset in chunks of 32 rows overlaid with the layout.
int sendLayoutTopOffset(PrinterJob& job);
// Combines the layout's next band rows into the screened planes.
void combineCopyLayoutBand(PrinterJob& job);
// Sends the layout rows below the last band; 0 on success.
int drainCopyLayout(PrinterJob& job);
void freeCopyLayout(PrinterJob& job);

}  // namespace vexmoor
