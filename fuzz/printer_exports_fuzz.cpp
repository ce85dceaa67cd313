// The raster module's exports as a RIP host drives them, with the stand-in
// host libraries and the file spooler: the input is the job's parameter
// block, then the open's arguments, the host's screen, the configuration
// values, and a sequence of bands (kind, width, lines, plane count, a null
// plane, the plane bytes). Host buffers are exactly the size the band
// contract gives them, so a read past a band is an AddressSanitizer finding.
// Bit 1 of the dump byte skips the first start; a band's first byte may start or stop instead (out of order: 1).
//
// Spool documents go to a scratch folder emptied after every input; the job
// counter file "cntxout.log" lands in the current folder.
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/byte_reader.h"
#include "host/tessaro/tessaro_host.h"
#include "host/vindal/vindal_data.h"
#include "raster/job/vexmoor_exports.h"

namespace {

using plexor_fuzz::ByteReader;

constexpr int kJobId = 7;
constexpr int kMaxBands = 32;
std::string scratch;

std::int32_t get32(const std::vector<std::uint8_t>& b, int at) {
  return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void put32(std::vector<std::uint8_t>& b, int at, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

// The configuration, and the documents in the printer's own folder.
void emptyScratch() {
  for (const std::string& folder : {scratch + "/Fuzz Printer", scratch}) {
    if (DIR* dir = opendir(folder.c_str())) {
      while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') unlink((folder + "/" + entry->d_name).c_str());
      closedir(dir);
    }
    rmdir((scratch + "/Fuzz Printer").c_str());
  }
}

// A screen of up to four entries of at most 16 x 16 thresholds.
void registerScreen(ByteReader& in, int screenId) {
  static std::vector<std::int16_t> thresholds[4];
  PlexorScreenEntry entries[4];
  const int count = in.u8() % 5;
  for (int i = 0; i < count; ++i) {
    std::memset(&entries[i], 0, sizeof entries[i]);
    entries[i].width = in.u8() % 17;
    entries[i].height = in.u8() % 17;
    entries[i].shift = in.u8() % 16;
    thresholds[i].assign(std::size_t(entries[i].width) * entries[i].height, 0);
    for (std::int16_t& t : thresholds[i]) t = static_cast<std::int16_t>(in.u16());
    entries[i].thresholds = thresholds[i].data();
  }
  TessaroRegisterScreen(screenId, count, entries);
}

void writeConfiguration(ByteReader& in) {
  std::FILE* f = std::fopen((scratch + "/configuration").c_str(), "w");
  if (!f) return;
  std::fprintf(f, "BannerMode=%u\nSpoolMode=%u\n", in.u8() % 4, in.u8() % 3);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/plexor-exports-fuzz-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  scratch = folder;
  setenv("PLEXOR_SPOOL_DIR", scratch.c_str(), 1);
  setenv("PLEXOR_CONFIG", (scratch + "/configuration").c_str(), 1);
  TessaroRegisterDevice("fuzz-dev", "Fuzz Printer");
  VindalAdjustData adjust;
  vindalDefaultAdjustData(&adjust);
  TessaroRegisterColorAdjustData(1, &adjust, sizeof adjust);
  std::atexit([] {
    emptyScratch();
    rmdir(scratch.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  std::vector<std::uint8_t> block = in.bytes(PLEXOR_PARAM_BLOCK_SIZE);
  // The copy layout is an input of its own; a path from here would open
  // whatever file it names.
  std::memset(&block[PPB_LAYOUT_PATH], 0, PPB_LAYOUT_PATH_END - PPB_LAYOUT_PATH);
  // A host has memory for its page: offsets stay within a wide page, and
  // the top offset within a few hundred blank rows.
  put32(block, PPB_LEFT_OFFSET, get32(block, PPB_LEFT_OFFSET) % 65536);
  put32(block, PPB_TOP_OFFSET, get32(block, PPB_TOP_OFFSET) % 512);
  TessaroRegisterPrintParams(kJobId, block.data());

  const int width = in.u16() % 4096;
  const int height = in.u16();
  const int planeCount = in.u8() % 9;
  const int dump = in.u8();
  registerScreen(in, get32(block, PPB_SCREEN_ID));
  writeConfiguration(in);
  const std::string dumpPath = scratch + "/dump.bin";

  void* job = InitPrinter_16_FUNC(kJobId, dump & 1 ? dumpPath.c_str() : nullptr, width, height, planeCount);
  if (job) {
    // The row length of screened bands as the host computes it.
    const int bits = block[PPB_BITS_PER_PIXEL] == 0 ? 1 : block[PPB_BITS_PER_PIXEL];
    const long long pageWidth = (long long)width + get32(block, PPB_LEFT_OFFSET);
    const std::size_t rowLength = std::size_t(bits) * std::size_t((pageWidth + 31) / 32) * 4;

    int stage = 0;  // opened, started, ended
    auto allowedIn = [&stage](int allowed, int result) {
      if (stage != allowed && result != 1) __builtin_trap();
      return result;
    };
    auto start = [&] { const int r = allowedIn(0, StartPrinter_16_FUNC(job)); if (!stage) stage = r ? 2 : 1; };
    auto stop = [&] { allowedIn(1, StopPrinter_16_FUNC(job)); if (stage == 1) stage = 2; };
    if (!(dump & 2)) start();
    {  // the bands, or starts and stops in their place
      for (int band = 0; band < kMaxBands && !in.empty(); ++band) {
        const int kind = in.u8();
        if (kind & 6) {
          (kind & 2) ? start() : stop();
          continue;
        }
        const bool screened = kind & 1;
        const int bandWidth = in.u16() % 4160;  // a little past the open width too
        const int lines = in.u8() % 17;
        const int bandPlanes = in.u8() % 9;
        const int nullPlane = in.u8();
        const std::size_t bytes = screened ? lines * rowLength : std::size_t(2) * bandWidth * lines;
        // Plane blocks of exactly that size (a band of no rows still has one).
        std::vector<std::unique_ptr<std::uint8_t[]>> planes;
        std::vector<void*> pointers;
        for (int i = 0; i < bandPlanes; ++i) {
          const std::vector<std::uint8_t> content = in.bytes(bytes);
          planes.emplace_back(new std::uint8_t[bytes]);
          std::copy(content.begin(), content.end(), planes.back().get());
          pointers.push_back(i == nullPlane ? nullptr : planes.back().get());
        }
        void** array = pointers.empty() ? nullptr : pointers.data();
        allowedIn(1, screened ? SendPrinter_16_FUNC(job, array, bandWidth, lines, bandPlanes)
                              : WritePrinter_16_FUNC(job, array, bandWidth, lines, bandPlanes));
      }
      stop();
    }
    if (ClosePrinter_16_FUNC(job) != 0) __builtin_trap();
  }
  TessaroForgetPrintParams(kJobId);
  emptyScratch();
  return 0;
}
