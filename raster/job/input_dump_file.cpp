#include "raster/job/input_dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cstring>

// The dump replaces whatever the path held (a longer earlier dump would leave
// its tail behind the new records) and is not inherited by the host's child
// processes.
#ifdef _WIN32
#include <io.h>
#define PLEXOR_OPEN _open
#define PLEXOR_WRITE _write
#define PLEXOR_CLOSE _close
#define PLEXOR_DUMP_FLAGS (_O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT)
#define PLEXOR_DUMP_MODE (_S_IREAD | _S_IWRITE)
#else
#include <unistd.h>
#define PLEXOR_OPEN open
#define PLEXOR_WRITE write
#define PLEXOR_CLOSE close
#define PLEXOR_DUMP_FLAGS (O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC)
#define PLEXOR_DUMP_MODE (S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)
#endif

namespace vexmoor {
namespace {

bool writeAll(int file, const std::uint8_t* bytes, std::size_t length) {
  // One write per record; a short write is a failure.
  auto written = PLEXOR_WRITE(file, bytes, static_cast<unsigned>(length));
  return written >= 0 && std::size_t(written) == length;
}

std::uint8_t dumpType(int planes) {
  switch (planes) {
    case 1: return 0;
    case 3: return 1;
    case 6: return 3;
    default: return 2;
  }
}

}  // namespace

void buildDumpHeader(int width, int height, int planes, std::uint8_t* h) {
  std::memset(h, 0, 512);
  std::memcpy(h, "TITN", 4);
  h[4] = 5;
  h[5] = 0;
  h[6] = 22;
  h[7] = 0;
  h[8] = std::uint8_t(width);
  h[9] = std::uint8_t(width >> 8);
  h[10] = std::uint8_t(height);
  h[11] = std::uint8_t(height >> 8);
  h[12] = ',';
  h[13] = 1;
  h[14] = ',';
  h[15] = 1;
  h[16] = std::uint8_t(planes);
  h[17] = dumpType(planes);
  h[18] = 0;
  h[19] = 0;
  h[20] = 1;
  h[21] = '1';
}

InputDumpFile* openInputDump(const JobEnvironment& env, const char* path, int width, int height, int planes) {
  if (!path || width < 0 || planes < 0) return nullptr;
  auto* dump = static_cast<InputDumpFile*>(env.memory.allocateZeroed(env.memory.context, sizeof(InputDumpFile)));
  if (!dump) return nullptr;
  // Records of screened bands hold a whole packed row (up to 2 bits per
  // pixel, whole 32-bit words), which can exceed width bytes for narrow pages.
  std::size_t packed = 8 * ((std::size_t(width) + 31) / 32);
  std::size_t positions = std::size_t(width) > packed ? std::size_t(width) : packed;
  dump->lineCapacity = positions * std::size_t(planes);
  dump->line = static_cast<std::uint8_t*>(
      env.memory.allocateZeroed(env.memory.context, dump->lineCapacity ? dump->lineCapacity : 1));
  dump->width = width;
  dump->height = height;
  dump->planes = planes;
  dump->file = -1;
  if (dump->line) dump->file = PLEXOR_OPEN(path, PLEXOR_DUMP_FLAGS, PLEXOR_DUMP_MODE);
  std::uint8_t header[512];
  buildDumpHeader(width, height, planes, header);
  if (dump->file < 0 || !writeAll(dump->file, header, sizeof header)) {
    if (dump->file >= 0) PLEXOR_CLOSE(dump->file);
    if (dump->line) env.memory.release(env.memory.context, dump->line);
    env.memory.release(env.memory.context, dump);
    return nullptr;
  }
  return dump;
}

namespace {

// One record per band row: for each of `positions` positions, the byte of
// each plane at row * rowStride + position * step + first.
bool appendInterleavedRows(InputDumpFile& dump, const void* const* planes, int planeCount, int positions, int lines,
                           std::size_t rowStride, std::size_t step, std::size_t first) {
  const std::size_t recordSize = std::size_t(positions) * std::size_t(planeCount);
  for (int row = 0; row < lines; ++row) {
    std::uint8_t* out = dump.line;
    for (int k = 0; k < positions; ++k) {
      const std::size_t at = std::size_t(row) * rowStride + std::size_t(k) * step + first;
      for (int p = 0; p < planeCount; ++p) *out++ = static_cast<const std::uint8_t*>(planes[p])[at];
    }
    if (!writeAll(dump.file, dump.line, recordSize)) return false;
  }
  return true;
}

}  // namespace

bool appendContoneBand(InputDumpFile& dump, const void* const* planes, int width, int lines, int planeCount) {
  if (!dumpRecordFits(dump, width, planeCount) || lines < 0) return false;
  // The high byte of each little-endian 16-bit sample.
  return appendInterleavedRows(dump, planes, planeCount, width, lines, 2 * std::size_t(width), 2, 1);
}

bool appendScreenedBand(InputDumpFile& dump, const void* const* planes, int recordBytes, int rowStride, int lines,
                        int planeCount) {
  if (!dumpRecordFits(dump, recordBytes, planeCount) || lines < 0 || recordBytes > rowStride) return false;
  return appendInterleavedRows(dump, planes, planeCount, recordBytes, lines, std::size_t(rowStride), 1, 0);
}

void closeInputDump(const JobEnvironment& env, InputDumpFile* dump) {
  if (!dump) return;
  if (dump->file >= 0) PLEXOR_CLOSE(dump->file);
  env.memory.release(env.memory.context, dump->line);
  env.memory.release(env.memory.context, dump);
}

}  // namespace vexmoor
