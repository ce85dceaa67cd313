// The copy layout's branches of the job: loading it at open, the page size it
// brings, the top offset in chunks of 32 rows, the overlay of every
// WritePrinter_16_FUNC band and the drain of the rows left after the last band.
#pragma once

namespace vexmoor {

struct PrinterJob;
struct CopyLayout;

// Loads the layout named in the parameter block; null when there is none or
// it cannot be used (the job then runs without it).
CopyLayout* loadCopyLayout(PrinterJob& job);
// Takes the layout's page width and height as the job's page size.
void applyCopyLayoutPage(PrinterJob& job);
// The top offset in chunks of 32 rows overlaid with the layout; 0 on success.
int sendLayoutTopOffset(PrinterJob& job);
// Combines the layout's next band rows into the screened planes.
void combineCopyLayoutBand(PrinterJob& job);
// Sends the layout rows below the last band, one row at a time; 0 on success.
int drainCopyLayout(PrinterJob& job);
// Whether the layout ended early because a copy bitmap could not be opened
// or read: the page went out without some of its copies.
bool copyLayoutLostCopies(const PrinterJob& job);
void freeCopyLayout(PrinterJob& job);

}  // namespace vexmoor
