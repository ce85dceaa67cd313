// Maps resolutions, bit depth and the mode name to the printer's print mode.
#pragma once

namespace vexmoor {

// Returns the mode number of the last matching row, or -1 when no row matches.
int lookupPrintMode(int resolution1, int resolution2, int bitsPerPixel, const char16_t* modeName);

}  // namespace vexmoor
