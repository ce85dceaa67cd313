// The output channel: raw spool documents through the spooler port, the rule
// that splits a long job into several documents, and the wait for spool disk
// space before each new document.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/ports.h"

namespace vexmoor {

constexpr std::size_t kSpoolNameCapacity = 261;  // 260 characters and the terminator

struct SpoolChannel {
  PrinterHandle printer;   // null while no printer is open (after a failed reopen)
  // The document is begun by the first write: a job that writes nothing
  // leaves nothing in the queue.
  bool documentBegun;
  std::uint8_t* compression;
  std::size_t compressionSize;
  // Converted once at open: every later document and the disk-space wait use them.
  char16_t printerName[kSpoolNameCapacity];
  char16_t documentName[kSpoolNameCapacity];
};

SpoolChannel* openSpoolChannel(const JobEnvironment& env, const char* printerName, std::size_t compressionSize,
                               const char16_t* documentName);
bool writeSpoolChannel(const JobEnvironment& env, SpoolChannel& channel, const void* bytes, std::uint32_t length);
// Ends the document and closes the printer; the record and its buffer stay.
// False when the spooler did not take the document's end: it may never
// reach the printer.
bool endSpoolDocument(const JobEnvironment& env, SpoolChannel& channel);
// Deletes the document in progress (if one was begun) and closes the
// printer: what an abandoned job wrote never reaches the printer.
void abandonSpoolDocument(const JobEnvironment& env, SpoolChannel& channel);
// Opens the printer again for the next document, begun by its first write
// under the name given at open.
bool reopenSpoolChannel(const JobEnvironment& env, SpoolChannel& channel);
// Ends the document in progress as endSpoolDocument does and frees the
// channel; false when that end failed.
bool closeSpoolChannel(const JobEnvironment& env, SpoolChannel* channel);

// Rows per spool document from "SpoolMode" and "BannerMode"; 0 = never split.
std::uint32_t computeRowsPerDocument(const JobEnvironment& env, std::uint32_t rowLength,
                                     std::uint32_t outputPlaneCount);
std::uint32_t rowsPerDocumentFor(std::uint32_t bannerMegabytes, std::uint32_t rowLength,
                                 std::uint32_t outputPlaneCount);

// How a wait for spool disk space ended.
enum class SpoolWaitEnd {
  Over,         // no wait was needed, the space or the queue changed, or a query failed
  EndedByHost,  // the host set the stop-waiting flag or withdrew the job's block
};

// Waits in 30-second steps while the spool disk has less than 4 GiB free for
// the caller and the printer still has queued jobs, until the host ends the
// wait (looked at on every pass, before each sleep). Sets the host's waiting
// flag for the duration. A printer that does not open with all-access rights
// is not waited for.
SpoolWaitEnd waitForSpoolDiskSpace(const JobEnvironment& env, int jobNumber, const char16_t* printerName);

}  // namespace vexmoor
