// The copy layout combine in the benchmark: a band of 128 rows with several
// placements of copy bitmaps served from memory.
#pragma once

namespace vexmoor::bench {

void registerCopyCombineBenchmarks();

}  // namespace vexmoor::bench
