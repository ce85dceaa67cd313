#include "bench/encode/copy_combine_bench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "raster/job/copy_layout.h"

namespace vexmoor::bench {
namespace {

constexpr int kBandRows = 128;
constexpr int kPlanes = 4;
constexpr int kPageWidth = 76800;         // 9600 bytes a row at 1 bit
constexpr std::int32_t kCopyRowBytes = 1200;  // each copy 9600 pixels wide at 1 bit
constexpr std::uint32_t kPlacements[] = {13, 10000, 20003, 30000, 40007, 50000, 60001};

// The host's copy bitmaps: a repeating pattern read from any position, so
// that the layout never runs dry however long the benchmark runs.
std::vector<std::uint8_t> pattern;
std::uint64_t position;
int hostOpen(int id) { return id; }
int hostSeek(int, std::uint32_t low, std::uint32_t high, int) {
  position = std::uint64_t(high) << 32 | low;
  return 1;
}
int hostRead(int, void* buffer, int count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (int done = 0; done < count;) {
    const std::size_t at = std::size_t(position % pattern.size());
    const int n = int(std::min<std::size_t>(std::size_t(count - done), pattern.size() - at));
    std::memcpy(out + done, pattern.data() + at, std::size_t(n));
    done += n;
    position += std::uint64_t(n);
  }
  return count;
}
void hostClose(int) {}

void* allocate(void*, std::size_t bytes) { return std::calloc(1, bytes); }
void release(void*, void* block) { std::free(block); }

void put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

// One record per placement (each with its own read position), one group over
// (almost) all the rows a 32-bit count allows.
std::string writeLayout() {
  const std::size_t n = std::size(kPlacements);
  std::vector<std::uint8_t> b(40 + 56 * n + 8 + 8 * n, 0);
  b[0] = std::uint8_t(n);
  put(b, 8, 0xFFFFFFF0u);
  put(b, 16, 0x7FFFFFFF);
  put(b, 20, kPageWidth);
  put(b, 32, std::uint32_t(b.size()));
  for (std::size_t i = 0; i < n; ++i) {
    put(b, 40 + 56 * i + 8, std::uint32_t(i + 1));
    put(b, 40 + 56 * i + 44, kCopyRowBytes);
    b[40 + 56 * i + 48] = kPlanes;
  }
  std::size_t at = 40 + 56 * n;
  put(b, at, 0xFFFFFFF0u);
  put(b, at + 4, std::uint32_t(n));
  for (std::size_t i = 0; i < n; ++i) put(b, at + 8 + 8 * i, kPlacements[i]), put(b, at + 12 + 8 * i, std::uint32_t(i));
  const std::string path = (std::filesystem::temp_directory_path() / "vexmoor_bench_layout.bin").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return path;
}

void combineBench(benchmark::State& state, int bitsPerPixel, char kind) {
  pattern.assign(1 << 20, 0);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = std::uint8_t((i * 37) ^ (i >> 7));
  for (std::size_t i = 0; i < pattern.size(); i += 1 << 16) pattern[i + 36] = std::uint8_t(kind);  // any header read
  JobEnvironment env{};
  env.memory = MemoryPort{nullptr, &allocate, &release};
  env.host.openCopyBitmap = &hostOpen;
  env.host.seekCopyBitmap = &hostSeek;
  env.host.readCopyBitmap = &hostRead;
  env.host.closeCopyBitmap = &hostClose;
  CopyLayout* layout = readCopyLayoutFile(env, writeLayout().c_str(), kPageWidth, bitsPerPixel);
  if (!layout) return state.SkipWithError("layout not loaded");
  const int rowLength = bitsPerPixel * kPageWidth / 8;
  std::vector<std::vector<std::uint8_t>> planes(kPlanes, std::vector<std::uint8_t>(std::size_t(rowLength) * kBandRows));
  std::uint8_t* rows[kPlanes];
  for (int i = 0; i < kPlanes; ++i) rows[i] = planes[std::size_t(i)].data();
  for (auto _ : state) {
    if (combineLayoutRows(*layout, env.host, kBandRows, bitsPerPixel, rowLength, kPlanes, rows) < 0) {
      state.SkipWithError("layout ran out");
      break;
    }
    benchmark::DoNotOptimize(rows[0]);
  }
  releaseCopyLayout(env, layout);
  // Counted in bitmap bytes read and combined.
  state.SetBytesProcessed(std::int64_t(state.iterations()) * kBandRows * kPlanes * kCopyRowBytes *
                          std::int64_t(std::size(kPlacements)));
}

}  // namespace

void registerCopyCombineBenchmarks() {
  benchmark::RegisterBenchmark("copy_combine/1bit", combineBench, 1, '1');
  benchmark::RegisterBenchmark("copy_combine/2bit_widened", combineBench, 2, '1');
  benchmark::RegisterBenchmark("copy_combine/2bit", combineBench, 2, '2');
}

}  // namespace vexmoor::bench
