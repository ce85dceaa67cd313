// Benchmarks of the raster encoding stages: PackBits against libtiff's
// encoder, the dither, mirroring and the whole band path of an already
// screened band (copy, mirror, compress, write to a null spooler) against
// memcpy of the same bytes. Every benchmark runs in several repetitions,
// interleaved in random order; the summary gives each figure as the median of
// the repetitions with their range, and the ratios at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
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
  std::size_t perBatch = 0;
  for (std::size_t r = 0; r < kBatchRows; ++r) perBatch += vexmoor::packBitsEncode(&rows[r * rowLength], rowLength, out.data());
  state.counters["out_per_row"] = static_cast<double>(perBatch) / kBatchRows;
}

// libtiff's encoder on the same rows, all of them in one strip of one file
// per iteration. The file is read back once before timing: a yardstick that
// does not decode to its input, or is not PackBits, fails the benchmark.
void libtiffBench(benchmark::State& state, RowKind kind, std::size_t rowLength, bool packBits) {
  const auto rows = vexmoor::bench::makeRows(kind, rowLength, kBatchRows);
  vexmoor::bench::MemoryTiff tiff(2 * rowLength * kBatchRows + 65536);
  if (!tiff.writeStrip(rows.data(), rowLength, kBatchRows, packBits) ||
      !tiff.decodesTo(rows.data(), rowLength, kBatchRows, packBits)) {
    state.SkipWithError("libtiff's file does not decode to the rows written");
    return;
  }
  for (auto _ : state) {
    if (!tiff.writeStrip(rows.data(), rowLength, kBatchRows, packBits)) {
      state.SkipWithError("libtiff failed");
      break;
    }
    benchmark::DoNotOptimize(tiff.data_.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBatchRows * rowLength));
  state.counters["out_per_row"] = static_cast<double>(tiff.stripBytes()) / kBatchRows;
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
// buffer (mirroring it on the way), then compress and write every row.
void bandPathBench(benchmark::State& state, RowKind kind, bool mirror) {
  Band band(kind, kRowLength);
  std::uint64_t written = 0;
  vexmoor::ByteSink sink{nullWrite, &written};
  const std::size_t planeBytes = kRowLength * kBandLines;
  const int pageWidth = static_cast<int>(kRowLength * 8);
  for (auto _ : state) {
    const std::uint8_t* planes[kPlanes];
    for (int p = 0; p < kPlanes; ++p) {
      if (mirror)
        vexmoor::mirrorPlaneInto(band.host[p].data(), band.screened[p].data(), kBandLines, kRowLength, pageWidth, 1);
      else
        std::memcpy(band.screened[p].data(), band.host[p].data(), planeBytes);
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

void ditherBench(benchmark::State& state, bool mirror) {
  const int width = static_cast<int>(kRowLength * 8);
  const auto samples = vexmoor::bench::makeRows(RowKind::kGrainy8Bit, static_cast<std::size_t>(width), kBandLines);
  std::int16_t thresholds[16 * 16];
  for (int i = 0; i < 256; ++i) thresholds[i] = static_cast<std::int16_t>((i * 97) % 256);
  vexmoor::DitherMatrix* matrix = vexmoor::createDitherMatrix(16, 16, 5, thresholds);
  std::vector<std::uint8_t> out(kRowLength * kBandLines);
  for (auto _ : state) {
    vexmoor::ditherBand(*matrix, samples.data(), width, static_cast<int>(kBandLines), out.data(),
                        static_cast<int>(kRowLength), 0, mirror);
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

// Median and range of one benchmark's rate over its repetitions.
struct Figure {
  double median = 0, low = 0, high = 0;
  double outPerRow = 0;  // PackBits output bytes per row, where counted
  bool measured() const { return median > 0; }
};

// Collects the rate of every repetition and prints a dot per run on stderr;
// the figures come out in the summary.
class RateCollector : public benchmark::BenchmarkReporter {
 public:
  std::map<std::string, std::vector<double>> rates;
  std::map<std::string, double> outPerRow;
  std::vector<std::string> errors;

  bool ReportContext(const Context& context) override {
    PrintBasicContext(&GetErrorStream(), context);
    return true;
  }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.run_name.str();
      if (run.error_occurred) {
        errors.push_back(name + ": " + run.error_message);
        continue;
      }
      const auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) rates[name].push_back(rate->second.value);
      const auto out = run.counters.find("out_per_row");
      if (out != run.counters.end()) outPerRow[name] = out->second.value;
    }
    std::fputc('.', stderr);
  }

  Figure figure(const std::string& name) const {
    Figure f;
    const auto it = rates.find(name);
    if (it == rates.end() || it->second.empty()) return f;
    std::vector<double> v = it->second;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    f.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    f.low = v.front();
    f.high = v.back();
    const auto out = outPerRow.find(name);
    if (out != outPerRow.end()) f.outPerRow = out->second;
    return f;
  }
};

// "median (low-high)" in units of `scale`.
std::string shown(const Figure& f, double scale) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f)", f.median / scale, f.low / scale, f.high / scale);
  return text;
}

constexpr double kGB = 1e9;

// The band path's goal: memcpy of the same bytes at most this many times
// faster than the path, on every row kind, and closer on blank rows.
constexpr double kPathGoal = 12;
constexpr double kBlankPathGoal = 3;

// One line per row kind and mirror setting of the runs named prefix + kind +
// "/mirror:" + 0 or 1: their rate, memcpy's median rate over theirs, and
// whether that meets the goal. Returns the lines that miss it; `measured`
// counts the lines printed.
std::vector<std::string> printPathTable(const RateCollector& c, const std::string& prefix, const Figure& copy,
                                        std::size_t& measured) {
  measured = 0;
  std::vector<std::string> missed;
  std::printf("%-22s %6s %-22s %12s %6s %s\n", "row kind", "mirror", "GB/s", "memcpy/path", "goal", "met");
  for (RowKind kind : vexmoor::bench::allRowKinds()) {
    for (int mirror : {1, 0}) {
      const std::string name = vexmoor::bench::rowKindName(kind);
      const Figure path = c.figure(prefix + name + "/mirror:" + std::to_string(mirror));
      if (!path.measured()) continue;
      ++measured;
      const double ratio = copy.median / path.median;
      const double goal = kind == RowKind::kBlank ? kBlankPathGoal : kPathGoal;
      const bool met = copy.measured() && ratio <= goal;
      if (!met) missed.push_back(name + (mirror ? " mirrored" : " plain"));
      std::printf("%-22s %6d %-22s %12.2f %6.0f %s\n", name.c_str(), mirror, shown(path, kGB).c_str(), ratio, goal,
                  met ? "yes" : "NO");
    }
  }
  return missed;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : ", ") + p;
  return text;
}

// PackBits must be at least this many times libtiff's speed on every row kind
// (compared by medians).
constexpr double kPackBitsGoal = 3;

// Returns false when PackBits misses kPackBitsGoal on some row kind; counts
// the row kinds and lengths measured in `measured`.
bool printPackBitsTable(const RateCollector& c, std::size_t& measured) {
  std::printf("\nPackBits against libtiff's PackBits encoder, GB/s of input rows (target: ratio >= %.0f)\n",
              kPackBitsGoal);
  std::printf("libtiff: %zu rows in one strip of an in-memory TIFF, checked to decode back; the file's own cost is\n"
              "included (its share: the same strip uncompressed, last column)\n", kBatchRows);
  std::printf("%-20s %6s %-22s %-22s %6s %6s %9s %9s %6s\n", "row kind", "bytes", "ours", "libtiff", "ratio", "worst",
              "out/row", "tiff/row", "file");
  bool met = true;
  measured = 0;
  for (std::size_t length : {kRowLength, kWideRowLength}) {
    for (RowKind kind : vexmoor::bench::allRowKinds()) {
      const std::string suffix = vexmoor::bench::rowKindName(kind) + "/" + std::to_string(length);
      const Figure ours = c.figure("packbits/" + suffix);
      const Figure libtiff = c.figure("libtiff_packbits/" + suffix);
      const Figure plain = c.figure("libtiff_none/" + suffix);
      if (!ours.measured() || !libtiff.measured()) continue;
      const double ratio = ours.median / libtiff.median;
      met = met && ratio >= kPackBitsGoal;
      ++measured;
      // Share of libtiff's time that the file itself takes (uncompressed strip).
      const double fileShare = plain.measured() ? libtiff.median / plain.median : 0;
      std::printf("%-20s %6zu %-22s %-22s %6.2f %6.2f %9.0f %9.0f %5.1f%%\n",
                  vexmoor::bench::rowKindName(kind).c_str(), length, shown(ours, kGB).c_str(),
                  shown(libtiff, kGB).c_str(), ratio, ours.low / libtiff.high, ours.outPerRow, libtiff.outPerRow,
                  100 * fileShare);
    }
  }
  std::printf("ratio: of the medians; worst: slowest repetition of ours over the fastest of libtiff's\n");
  return met;
}

// Stages outside the band path, each one benchmark: label, name, unit.
struct Stage {
  const char* label;
  const char* benchmark;
  const char* unit;
  double scale;
};
const Stage kStages[] = {
    {"dither, 16 x 16 matrix", "dither/16x16", "G samples/s", kGB},
    {"dither, mirrored", "dither/16x16/mirror", "G samples/s", kGB},
    {"mirror, 1-bit rows", "mirror/1bit", "GB/s", kGB},
    {"mirror, 1-bit, page ends inside a byte", "mirror/1bit_unaligned", "GB/s", kGB},
    {"mirror, 2-bit rows", "mirror/2bit", "GB/s", kGB},
    {"copy combine, 1 bit (128 rows, 7 copies)", "copy_combine/1bit", "GB/s", kGB},
    {"copy combine, 1 bit widened to 2", "copy_combine/2bit_widened", "GB/s", kGB},
    {"copy combine, 2 bits", "copy_combine/2bit", "GB/s", kGB},
};

bool printSummary(const RateCollector& c) {
  std::printf("\n\nFigures: median of the repetitions (lowest-highest), CPU time\n");
  std::size_t packBitsMeasured = 0;
  const bool packBitsMet = printPackBitsTable(c, packBitsMeasured);
  const Figure copy = c.figure("memcpy/band");
  std::printf("\nBand path (copy, mirror, compress, write to a null spooler; 4 planes x %zu rows x %zu bytes)\n",
              kBandLines, kRowLength);
  std::printf("memcpy of the same bytes: %s GB/s\n", shown(copy, kGB).c_str());
  std::printf("goal: memcpy/path <= %.0f on every row kind, <= %.0f on blank rows, plain and mirrored\n", kPathGoal,
              kBlankPathGoal);
  std::printf("\nThe encoding functions in the job's order\n");
  std::size_t measured = 0;
  printPathTable(c, "band_path/", copy, measured);
#if defined(VEXMOOR_BENCH_REAL_JOB)
  std::printf("\nThe job's SendPrinter_16_FUNC path (same bands, null spooler): the goal is judged here\n");
  const std::vector<std::string> missed = printPathTable(c, "send_printer/", copy, measured);
  // Judged only with memcpy and every row kind in both settings measured.
  const bool pathMeasured = copy.measured() && measured == 2 * vexmoor::bench::allRowKinds().size();
#else
  std::printf("(the job's SendPrinter_16_FUNC path is not built in: the goal is not judged)\n");
  const std::vector<std::string> missed;
  const bool pathMeasured = false;
#endif
  std::printf("\nOther stages\n");
  for (const Stage& stage : kStages) {
    const Figure f = c.figure(stage.benchmark);
    if (f.measured()) std::printf("%-40s %-22s %s\n", stage.label, shown(f, stage.scale).c_str(), stage.unit);
  }
  for (const std::string& e : c.errors) std::printf("FAILED %s\n", e.c_str());
  std::printf("\nPackBits >= %.0f x libtiff on every row kind: %s\n", kPackBitsGoal,
              packBitsMeasured == 0 ? "not measured" : packBitsMet ? "yes" : "NO");
  const bool pathMet = pathMeasured && missed.empty();
  if (!pathMeasured)
    std::printf("SendPrinter path goal: not judged (needs memcpy and every row kind of the job's path measured)\n");
  else if (pathMet)
    std::printf("SendPrinter path goal (within %.0f x memcpy on every row kind, %.0f x on blank rows): met\n", kPathGoal,
                kBlankPathGoal);
  else
    std::printf("SendPrinter path goal (within %.0f x memcpy on every row kind, %.0f x on blank rows): NOT met for %s\n",
                kPathGoal, kBlankPathGoal, joined(missed).c_str());
  return packBitsMet && (pathMet || !pathMeasured) && c.errors.empty();
}

// Repetitions in random order unless the command line says otherwise.
std::vector<char*> withDefaults(int argc, char** argv) {
  static char repetitions[] = "--benchmark_repetitions=9";
  static char minTime[] = "--benchmark_min_time=0.1";
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args(argv, argv + argc);
  for (char* flag : {repetitions, minTime, interleave}) {
    const std::string name(flag, std::strchr(flag, '=') + 1);
    bool given = false;
    for (int i = 1; i < argc; ++i) given = given || std::strncmp(argv[i], name.c_str(), name.size()) == 0;
    if (!given) args.insert(args.begin() + 1, flag);
  }
  return args;
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
  benchmark::RegisterBenchmark("dither/16x16", ditherBench, false);
  benchmark::RegisterBenchmark("dither/16x16/mirror", ditherBench, true);
  benchmark::RegisterBenchmark("mirror/1bit", mirrorBench, 1, 0);
  benchmark::RegisterBenchmark("mirror/1bit_unaligned", mirrorBench, 1, 3);
  benchmark::RegisterBenchmark("mirror/2bit", mirrorBench, 2, 0);
  vexmoor::bench::registerCopyCombineBenchmarks();

  std::vector<char*> args = withDefaults(argc, argv);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  RateCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const bool met = printSummary(collector);
  benchmark::Shutdown();
  return met ? 0 : 1;
}
