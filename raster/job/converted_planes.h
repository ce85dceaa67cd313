// The planes colour adjustment writes and screening reads: always buffers of
// the module's own, so that the host's band planes are never written.
#pragma once

#include "raster/job/ports.h"

namespace vexmoor {

// Makes the first `planes` converted buffers hold 2 x pixels bytes (they
// only grow, and all share `capacity`, in pixels) and, when copyFrom is not
// null, copies those planes of the host's band into them (for an adjustment
// that works in place). False when a buffer cannot be taken.
bool prepareConvertedPlanes(const MemoryPort& memory, void** converted, int count, int& capacity, int planes,
                            int pixels, void* const* copyFrom);

// Frees the `count` converted buffers.
void releaseConvertedPlanes(const MemoryPort& memory, void** converted, int count, int& capacity);

}  // namespace vexmoor
