#include "raster/job/spool_channel.h"

#include "raster/job/param_block.h"

namespace vexmoor {
namespace {

constexpr std::uint32_t kWaitStepMilliseconds = 30000;
constexpr std::uint64_t kGiB = 1073741824;

bool openPrinterForDocuments(const JobEnvironment& env, SpoolChannel& channel) {
  PrinterHandle handle = nullptr;
  if (channel.printerName[0] == 0 ||
      !env.spooler.openPrinter(env.spooler.context, channel.printerName, false, &handle))
    return false;
  channel.printer = handle;
  channel.documentBegun = false;
  return true;
}

}  // namespace

SpoolChannel* openSpoolChannel(const JobEnvironment& env, const char* printerName, std::size_t compressionSize,
                               const char16_t* documentName) {
  auto* channel = static_cast<SpoolChannel*>(env.memory.allocateZeroed(env.memory.context, sizeof(SpoolChannel)));
  if (!channel) return nullptr;
  channel->compression =
      static_cast<std::uint8_t*>(env.memory.allocateZeroed(env.memory.context, compressionSize ? compressionSize : 1));
  channel->compressionSize = compressionSize;
  env.text.toWide(env.text.context, printerName, channel->printerName, kSpoolNameCapacity);
  std::size_t n = 0;
  for (; n + 1 < kSpoolNameCapacity && documentName[n]; ++n) channel->documentName[n] = documentName[n];
  channel->documentName[n] = 0;
  if (!channel->compression || !openPrinterForDocuments(env, *channel)) {
    if (channel->compression) env.memory.release(env.memory.context, channel->compression);
    env.memory.release(env.memory.context, channel);
    return nullptr;
  }
  return channel;
}

bool writeSpoolChannel(const JobEnvironment& env, SpoolChannel& channel, const void* bytes, std::uint32_t length) {
  if (!channel.printer) return false;  // no printer after a failed reopen
  if (!channel.documentBegun) {
    if (!env.spooler.startDoc(env.spooler.context, channel.printer, channel.documentName)) return false;
    channel.documentBegun = true;
  }
  return env.spooler.write(env.spooler.context, channel.printer, bytes, length);
}

namespace {

// Ends (keep) or withdraws the document in progress, then closes the
// printer; false when the end of a kept document failed.
bool finishSpoolDocument(const JobEnvironment& env, SpoolChannel& channel, bool keep) {
  if (!channel.printer) return true;
  bool ended = true;
  if (channel.documentBegun) {
    if (keep) {
      ended = env.spooler.endDoc(env.spooler.context, channel.printer);
    } else {
      env.spooler.abortDoc(env.spooler.context, channel.printer);
    }
  }
  env.spooler.closePrinter(env.spooler.context, channel.printer);
  channel.printer = nullptr;
  channel.documentBegun = false;
  return ended;
}

}  // namespace

bool endSpoolDocument(const JobEnvironment& env, SpoolChannel& channel) {
  return finishSpoolDocument(env, channel, true);
}

void abandonSpoolDocument(const JobEnvironment& env, SpoolChannel& channel) {
  finishSpoolDocument(env, channel, false);
}

bool reopenSpoolChannel(const JobEnvironment& env, SpoolChannel& channel) {
  return openPrinterForDocuments(env, channel);
}

bool closeSpoolChannel(const JobEnvironment& env, SpoolChannel* channel) {
  if (!channel) return true;
  const bool ended = endSpoolDocument(env, *channel);
  env.memory.release(env.memory.context, channel->compression);
  env.memory.release(env.memory.context, channel);
  return ended;
}

std::uint32_t rowsPerDocumentFor(std::uint32_t bannerMegabytes, std::uint32_t rowLength,
                                 std::uint32_t outputPlaneCount) {
  std::uint32_t bytesPerRow = rowLength * outputPlaneCount;  // modulo 2^32
  if (bytesPerRow == 0) return 0;  // a zero divisor cannot split anything
  return (bannerMegabytes * 1048576u) / bytesPerRow;
}

std::uint32_t computeRowsPerDocument(const JobEnvironment& env, std::uint32_t rowLength,
                                     std::uint32_t outputPlaneCount) {
  std::uint32_t spoolMode = 0;
  if (env.config.readValue(env.config.context, u"SpoolMode", &spoolMode) && spoolMode == 1) return 0;
  std::uint32_t bannerMode = 0;
  if (!env.config.readValue(env.config.context, u"BannerMode", &bannerMode) || bannerMode == 0) return 0;
  return rowsPerDocumentFor(bannerMode, rowLength, outputPlaneCount);
}

SpoolWaitEnd waitForSpoolDiskSpace(const JobEnvironment& env, int jobNumber, const char16_t* printerName) {
  SpoolWaitEnd end = SpoolWaitEnd::Over;
  bool waitingSet = false;
  PrinterHandle handle = nullptr;
  if (!env.spooler.openPrinter(env.spooler.context, printerName, true, &handle)) return end;
  for (;;) {
    char16_t directory[260];  // 520 bytes
    if (!env.spooler.spoolDirectory(env.spooler.context, handle, directory, 260)) {
      env.spooler.closePrinter(env.spooler.context, handle);
      break;
    }
    PrinterState state{};
    bool gotState = env.spooler.printerState(env.spooler.context, handle, &state);
    env.spooler.closePrinter(env.spooler.context, handle);
    if (!gotState) break;
    std::uint64_t freeBytes = 0;
    if (!env.disk.freeBytesForCaller(env.disk.context, directory, &freeBytes)) break;
    if (static_cast<std::int64_t>(freeBytes) / static_cast<std::int64_t>(kGiB) >= 4) break;  // room enough
    if (state.queuedJobs == 0) break;  // waiting would not free space
    if (!waitingSet) {
      setWaitingFlag(env, jobNumber, true);
      waitingSet = true;
    }
    // Every pass, the first too: a flag the host left set costs no sleep, and
    // a block the host withdrew can no longer carry the flag.
    if (hostEndsTheWait(env, jobNumber)) {
      end = SpoolWaitEnd::EndedByHost;
      break;
    }
    env.clock.sleepMilliseconds(env.clock.context, kWaitStepMilliseconds);
    if (!env.spooler.openPrinter(env.spooler.context, printerName, true, &handle)) break;
  }
  if (waitingSet) setWaitingFlag(env, jobNumber, false);
  return end;
}

}  // namespace vexmoor
