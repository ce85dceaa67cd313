// The planes colour adjustment writes and screening reads: always buffers of
// the module's own, so that the host's band planes are never written.
#pragma once

#include "raster/job/printer_job.h"

namespace vexmoor {

// Whether the job's colour adjustment works in place (the CMYK variant): its
// planes are then copies of the host's, made for every band.
bool adjustsInPlace(const PrinterJob& job);

// Makes the converted buffers fit the prepared band (they only grow) and,
// for an adjustment in place, copies the host's planes into them. False when
// a buffer cannot be taken.
bool prepareConvertedPlanes(PrinterJob& job);

void releaseConvertedPlanes(PrinterJob& job);

}  // namespace vexmoor
