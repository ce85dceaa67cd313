// Benchmarks of the raster encoding stages: PackBits against libtiff's
// encoder, the dither, mirroring and the whole band path of an already
// screened band (copy, mirror, compress, write to a null spooler) against
// memcpy of the same bytes. Prints the ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/encode/copy_combine_bench.h"
#include "bench/encode/libtiff_packbits.h"
#include "bench/encode/row_kinds.h"
#include "raster/encode/byte_sink.h"
#include "raster/encode/command_stream.h"
#include "raster/encode/dither.h"
#include "raster/encode/mirror.h"
#include "raster/encode/packbits.h"

#if defined(VEXMOOR_BENCH_REAL_JOB)
#include "raster/job/printer_job.h"
#include "tests/raster/job/job_fakes.h"
#endif

namespace {

using vexmoor::bench::RowKind;

constexpr std::size_t kRowLength = 9600;   // 1-bit A3 width at 600 dpi is about 9000 bytes
constexpr std::size_t kWideRowLength = 19200;
constexpr std::size_t kBatchRows = 64;
constexpr std::size_t kBandLines = 32;
constexpr int kPlanes = 4;

void packBitsBench(benchmark::State& state, RowKind kind, std::size_t rowLength) {
  const auto rows = vexmoor::bench::makeRows(kind, rowLength, kBatchRows);
  std::vector<std::uint8_t> out(vexmoor::packBitsBound(rowLength));
  std::size_t produced = 0;
  for (auto _ : state) {
    for (std::size_t r = 0; r < kBatchRows; ++r)
      produced += vexmoor::packBitsEncode(&rows[r * rowLength], rowLength, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  benchmark::DoNotOptimize(produced);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBatchRows * rowLength));
}

void libtiffBench(benchmark::State& state, RowKind kind, std::size_t rowLength, bool packBits) {
  const auto rows = vexmoor::bench::makeRows(kind, rowLength, kBatchRows);
  vexmoor::bench::MemoryTiff tiff;
  tiff.data_.resize(rowLength * kBatchRows * 2 + 65536);
  for (auto _ : state) {
    if (!tiff.writeStrips(rows.data(), rowLength, kBatchRows, packBits)) {
      state.SkipWithError("libtiff failed");
      break;
    }
    benchmark::DoNotOptimize(tiff.bytesWritten());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBatchRows * rowLength));
}

int nullWrite(void* context, const void*, std::uint32_t length) {
  *static_cast<std::uint64_t*>(context) += length;
  return 0;
}

struct Band {
  std::vector<std::uint8_t> host[kPlanes];      // the host's screened planes
  std::vector<std::uint8_t> screened[kPlanes];  // the job's band buffers
  std::vector<std::uint8_t> scratch;
  std::vector<std::uint8_t> compression;

  Band(RowKind kind, std::size_t rowLength) {
    const auto all = vexmoor::bench::makeRows(kind, rowLength, kBandLines * kPlanes);
    const std::size_t planeBytes = rowLength * kBandLines;
    for (int p = 0; p < kPlanes; ++p) {
      host[p].assign(all.begin() + p * planeBytes, all.begin() + (p + 1) * planeBytes);
      screened[p].assign(planeBytes, 0);
    }
    scratch.assign(planeBytes, 0);
    compression.assign(2 * rowLength, 0);
  }
};

// The band path of an already screened band: copy each plane into the job's
// buffer, mirror it, then compress and write every row.
void bandPathBench(benchmark::State& state, RowKind kind, bool mirror) {
  Band band(kind, kRowLength);
  std::uint64_t written = 0;
  vexmoor::ByteSink sink{nullWrite, &written};
  const std::size_t planeBytes = kRowLength * kBandLines;
  const int pageWidth = static_cast<int>(kRowLength * 8);
  for (auto _ : state) {
    const std::uint8_t* planes[kPlanes];
    for (int p = 0; p < kPlanes; ++p) {
      std::memcpy(band.screened[p].data(), band.host[p].data(), planeBytes);
      if (mirror)
        vexmoor::mirrorPlane(band.screened[p].data(), band.scratch.data(), kBandLines, kRowLength, pageWidth, 1,
                             planeBytes);
      planes[p] = band.screened[p].data();
    }
    if (vexmoor::writeRows(sink, band.compression.data(), band.compression.size(), planes, kPlanes,
                           static_cast<int>(kRowLength), static_cast<int>(kBandLines)) != 0) {
      state.SkipWithError("writeRows failed");
      break;
    }
  }
  benchmark::DoNotOptimize(written);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * planeBytes * kPlanes));
}

#if defined(VEXMOOR_BENCH_REAL_JOB)
// The job's own SendPrinter_16_FUNC path (prepare, copy, mirror, compress and
// write), over the job's port fakes with a spooler whose writes go nowhere.
void sendPrinterBench(benchmark::State& state, RowKind kind, bool mirror) {
  vexmoor::testing::FakeWorld world;
  world.counterFile = "/dev/null";
  world.host.devices["dev"] = "P1";
  world.host.block(1) = vexmoor::testing::makeBlock(1, 3);
  vexmoor::JobEnvironment env = world.env();
  env.spooler.write = [](void*, vexmoor::PrinterHandle, const void*, std::uint32_t) { return true; };
  const int width = static_cast<int>(kRowLength * 8);
  vexmoor::PrinterJob* job = vexmoor::initPrinterJob(env, 1, nullptr, width, 1 << 30, kPlanes);
  if (job == nullptr || job->rowLength != static_cast<int>(kRowLength) || vexmoor::startPrinterJob(*job) != 0) {
    state.SkipWithError("the job did not open as expected");
    if (job) vexmoor::closePrinterJob(job);
    return;
  }
  job->mirror = mirror ? 1 : 0;
  Band band(kind, kRowLength);
  void* planes[kPlanes];
  for (int p = 0; p < kPlanes; ++p) planes[p] = band.host[p].data();
  for (auto _ : state) {
    if (vexmoor::sendPrinterBand(*job, planes, width, static_cast<int>(kBandLines), kPlanes) != 0) {
      state.SkipWithError("SendPrinter path failed");
      break;
    }
  }
  vexmoor::closePrinterJob(job);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kRowLength * kBandLines * kPlanes));
}
#endif

void memcpyBench(benchmark::State& state) {
  const std::size_t bytes = kRowLength * kBandLines * kPlanes;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void ditherBench(benchmark::State& state) {
  const int width = static_cast<int>(kRowLength * 8);
  const auto samples = vexmoor::bench::makeRows(RowKind::kGrainy8Bit, static_cast<std::size_t>(width), kBandLines);
  std::int16_t thresholds[16 * 16];
  for (int i = 0; i < 256; ++i) thresholds[i] = static_cast<std::int16_t>((i * 97) % 256);
  vexmoor::DitherMatrix* matrix = vexmoor::createDitherMatrix(16, 16, 5, thresholds);
  std::vector<std::uint8_t> out(kRowLength * kBandLines);
  for (auto _ : state) {
    vexmoor::ditherBand(*matrix, samples.data(), width, static_cast<int>(kBandLines), out.data(),
                        static_cast<int>(kRowLength), 0, false);
    benchmark::DoNotOptimize(out.data());
  }
  vexmoor::freeDitherMatrix(matrix);
  // Counted in 8-bit samples screened.
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * samples.size()));
}

void mirrorBench(benchmark::State& state, int bitsPerPixel, int pageWidthShortfall) {
  const auto plane = vexmoor::bench::makeRows(RowKind::kErrorDiffused1Bit, kRowLength, kBandLines);
  std::vector<std::uint8_t> work(plane), scratch(plane.size());
  const int pageWidth = static_cast<int>(kRowLength * 8 / static_cast<std::size_t>(bitsPerPixel)) - pageWidthShortfall;
  for (auto _ : state) {
    vexmoor::mirrorPlane(work.data(), scratch.data(), kBandLines, kRowLength, pageWidth, bitsPerPixel, work.size());
    benchmark::DoNotOptimize(work.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plane.size()));
}

// Collects the byte rates of every run for the ratio table.
class RateCollector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

double rate(const RateCollector& c, const std::string& name) {
  const auto it = c.rates.find(name);
  return it == c.rates.end() ? 0.0 : it->second;
}

// One line per row kind and mirror setting of the runs named prefix + kind +
// "/mirror:" + 0 or 1: their rate and memcpy's rate over it.
void printPathTable(const RateCollector& c, const std::string& prefix, double copy) {
  std::printf("%-24s %8s %10s %12s\n", "row kind", "mirror", "GB/s", "memcpy/path");
  for (RowKind kind : vexmoor::bench::allRowKinds()) {
    for (int mirror : {1, 0}) {
      const double path = rate(c, prefix + vexmoor::bench::rowKindName(kind) + "/mirror:" + std::to_string(mirror));
      if (path == 0) continue;
      std::printf("%-24s %8d %10.2f %12.2f\n", vexmoor::bench::rowKindName(kind).c_str(), mirror, path / 1e9,
                  copy / path);
    }
  }
}

void printRatios(const RateCollector& c) {
  const double gb = 1e9;
  std::printf("\nPackBits against libtiff's PackBits encoder (GB/s of input rows; target ratio >= 2)\n");
  std::printf("%-24s %8s %10s %10s %8s\n", "row kind", "bytes", "ours", "libtiff", "ratio");
  for (std::size_t length : {kRowLength, kWideRowLength}) {
    for (RowKind kind : vexmoor::bench::allRowKinds()) {
      const std::string suffix = vexmoor::bench::rowKindName(kind) + "/" + std::to_string(length);
      const double ours = rate(c, "packbits/" + suffix);
      const double withPackBits = rate(c, "libtiff_packbits/" + suffix);
      const double plain = rate(c, "libtiff_none/" + suffix);
      if (ours == 0 || withPackBits == 0 || plain == 0) continue;
      // Seconds per byte spent in libtiff's encoder alone.
      const double encoderTime = 1.0 / withPackBits - 1.0 / plain;
      const double libtiff = encoderTime > 0 ? 1.0 / encoderTime : 0.0;
      std::printf("%-24s %8zu %10.2f %10.2f %8.2f\n", vexmoor::bench::rowKindName(kind).c_str(), length, ours / gb,
                  libtiff / gb, libtiff > 0 ? ours / libtiff : 0.0);
    }
  }
  const double copy = rate(c, "memcpy/band");
  std::printf("\nBand path (copy, mirror, compress, write to a null spooler; 4 planes x %zu rows x %zu bytes)\n",
              kBandLines, kRowLength);
  std::printf("memcpy of the same bytes: %.2f GB/s\n", copy / gb);
  printPathTable(c, "band_path/", copy);
#if defined(VEXMOOR_BENCH_REAL_JOB)
  std::printf("\nThe job's SendPrinter_16_FUNC path (same bands, null spooler)\n");
  printPathTable(c, "send_printer/", copy);
#else
  std::printf("(the job's SendPrinter_16_FUNC path is not built in; the band path above is the same sequence of the\n"
              " encoding functions)\n");
#endif
  std::printf("targets: blank rows memcpy/path <= 4; error-diffused rows >= 1 GB/s\n");
  std::printf("\nDither: %.2f G samples/s; mirror 1-bit: %.2f GB/s, 1-bit unaligned width: %.2f GB/s, 2-bit: %.2f GB/s\n",
              rate(c, "dither/16x16") / gb, rate(c, "mirror/1bit") / gb, rate(c, "mirror/1bit_unaligned") / gb,
              rate(c, "mirror/2bit") / gb);
}

}  // namespace

int main(int argc, char** argv) {
  for (std::size_t length : {kRowLength, kWideRowLength}) {
    for (RowKind kind : vexmoor::bench::allRowKinds()) {
      const std::string suffix = vexmoor::bench::rowKindName(kind) + "/" + std::to_string(length);
      benchmark::RegisterBenchmark(("packbits/" + suffix).c_str(), packBitsBench, kind, length);
      benchmark::RegisterBenchmark(("libtiff_packbits/" + suffix).c_str(), libtiffBench, kind, length, true);
      benchmark::RegisterBenchmark(("libtiff_none/" + suffix).c_str(), libtiffBench, kind, length, false);
    }
  }
  benchmark::RegisterBenchmark("memcpy/band", memcpyBench);
  for (RowKind kind : vexmoor::bench::allRowKinds())
    for (int mirror : {1, 0})
      benchmark::RegisterBenchmark(
          ("band_path/" + vexmoor::bench::rowKindName(kind) + "/mirror:" + std::to_string(mirror)).c_str(),
          bandPathBench, kind, mirror != 0);
#if defined(VEXMOOR_BENCH_REAL_JOB)
  for (RowKind kind : vexmoor::bench::allRowKinds())
    for (int mirror : {1, 0})
      benchmark::RegisterBenchmark(
          ("send_printer/" + vexmoor::bench::rowKindName(kind) + "/mirror:" + std::to_string(mirror)).c_str(),
          sendPrinterBench, kind, mirror != 0);
#endif
  benchmark::RegisterBenchmark("dither/16x16", ditherBench);
  benchmark::RegisterBenchmark("mirror/1bit", mirrorBench, 1, 0);
  benchmark::RegisterBenchmark("mirror/1bit_unaligned", mirrorBench, 1, 3);
  benchmark::RegisterBenchmark("mirror/2bit", mirrorBench, 2, 0);
  vexmoor::bench::registerCopyCombineBenchmarks();

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  RateCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  printRatios(collector);
  benchmark::Shutdown();
  return 0;
}
