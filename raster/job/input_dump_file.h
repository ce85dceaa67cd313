// The input dump: a 512-byte header and one record per band row, each record
// holding, position by position, one byte per plane.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/ports.h"

namespace vexmoor {

struct InputDumpFile {
  int file;      // descriptor of the open dump file
  int width;     // width given to the job
  int height;    // height given to the job
  int planes;    // plane count given to the job
  std::uint8_t* line;
  std::size_t lineCapacity;  // bytes the line buffer holds
};

// The 512-byte header for the given size.
void buildDumpHeader(int width, int height, int planes, std::uint8_t* header512);

InputDumpFile* openInputDump(const JobEnvironment& env, const char* path, int width, int height, int planes);

// A band of continuous-tone planes: each record holds, for every pixel of
// width, the high byte of each plane's 16-bit sample.
bool appendContoneBand(InputDumpFile& dump, const void* const* planes, int width, int lines, int planeCount);

// A band of screened planes, rows rowStride bytes apart: each record holds,
// for every byte position below recordBytes, that packed byte of each plane.
// recordBytes must not exceed rowStride.
bool appendScreenedBand(InputDumpFile& dump, const void* const* planes, int recordBytes, int rowStride, int lines,
                        int planeCount);

void closeInputDump(const JobEnvironment& env, InputDumpFile* dump);

// Bytes one record of recordBytes positions and planeCount planes takes; the
// line buffer must hold it.
inline bool dumpRecordFits(const InputDumpFile& dump, int recordBytes, int planeCount) {
  return recordBytes >= 0 && planeCount >= 0 && planeCount <= dump.planes &&
         std::size_t(recordBytes) * std::size_t(planeCount) <= dump.lineCapacity;
}

}  // namespace vexmoor
