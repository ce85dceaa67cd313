// Fakes of every port the raster job uses: host libraries, spooler, disk,
// configuration, clock, memory and text. The counter file is the platform's
// own port, on a file of the case's own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "raster/job/host_contract.h"
#include "raster/job/ports.h"

namespace vexmoor::testing {

// The host's libraries. The host port has no context, so the fake in use is
// reached through FakeHost::current (set by the constructor).
struct FakeHost {
  FakeHost();
  ~FakeHost();
  static FakeHost* current;

  std::map<int, std::vector<std::uint8_t>> blocks;  // per job number
  std::map<std::string, std::string> devices;       // device name -> printer name
  int getPrintParamsResult = 1;                     // 0 makes every fetch fail
  std::vector<std::uint8_t> waitingHistory;         // waiting flag values handed back
  int getErrorDiffParamResult = 1;
  PlexorErrdiffParams lastErrdiffParams{};
  std::vector<PlexorScreenEntry> screenEntries;
  std::vector<std::int16_t> thresholds;
  std::vector<std::string> calls;  // names of the colour and screening calls, in order
  // The same calls with the arguments that matter, e.g. "OpenErrdiff 1 16 4".
  std::vector<std::string> callArgs;
  void* lastConverted[7] = {};  // plane arrays of the last band call
  void* lastScreened[7] = {};
  void* colorAdjustDataAddress = nullptr;  // what GetColorAdjustData was told
  void* colorAdjustDataOpened = nullptr;   // what the open call was given
  int openErrdiffFails = 0;
  // Copy bitmaps by identifier (header and rows), and each call on them:
  // "open 5", "seek 5 256", "read 5 16 16" (asked, got), "close 5".
  std::map<int, std::vector<std::uint8_t>> copyBitmaps;
  std::vector<std::string> bitmapCalls;
  int openCopyBitmaps = 0;  // handles open now
  std::map<int, std::uint64_t> bitmapPositions;  // per open handle
  int openColorAdjustFails = 0;  // the colour-adjust open calls return null

  // Four 2 x 2 screens of threshold 128 for jobs with screening method 4.
  void useScreens(int count = 4);

  std::vector<std::uint8_t>& block(int job);
  HostPort port() const;
};

// A parameter block with sensible defaults for a CMYK job.
std::vector<std::uint8_t> makeBlock(int bitsPerPixel = 1, int screening = 3);

// A file name in the test folder that no other test process uses: CTest runs
// cases side by side, and the sanitized builds of the same cases beside them.
std::string scratchFile(const std::string& name);
void putWide(std::vector<std::uint8_t>& block, std::size_t offset, const std::u16string& text);
void put32(std::vector<std::uint8_t>& block, std::size_t offset, std::int32_t value);
void put16(std::vector<std::uint8_t>& block, std::size_t offset, std::int16_t value);

struct SpoolDocument {
  std::string printer;
  std::u16string name;
  std::string bytes;
  bool ended = false;
  bool discarded = false;  // aborted: never reaches the printer
};

struct FakeSpooler {
  std::vector<std::string> printers{"P1", "P2"};  // names that open
  std::vector<SpoolDocument> documents;
  int writesBeforeFailure = -1;  // -1: never fail
  int opensBeforeFailure = -1;   // -1: never fail
  int endsBeforeFailure = -1;    // -1: never fail
  bool spoolDirectoryFound = true;
  std::uint32_t queuedJobs = 0;
  int openHandles = 0;
  int allAccessOpens = 0;
  SpoolerPort port();
};

struct FakeDisk {
  std::uint64_t freeBytes = 5ull << 30;
  bool fails = false;
  DiskSpacePort port();
};

struct FakeConfig {
  std::map<std::u16string, std::uint32_t> values;
  ConfigPort port();
};

struct FakeClock {
  std::vector<std::uint32_t> sleeps;
  std::function<void(int)> onSleep;  // called with the number of the sleep (1, 2, ...)
  ClockPort port();
};

// calloc/free that counts, and can fail the n-th allocation.
struct CountingMemory {
  int allocations = 0;
  int releases = 0;
  int failAt = -1;  // 1-based allocation number that fails; -1 never
  std::size_t lastRequest = 0;  // bytes asked for by the last allocation
  MemoryPort port();
};

TextPort asciiTextPort();

struct FakeWorld {
  FakeHost host;
  FakeSpooler spooler;
  FakeDisk disk;
  FakeConfig config;
  FakeClock clock;
  CountingMemory memory;
  std::string counterFile;
  JobEnvironment env();
};

// Counts the rows in a command stream: each row ends with one "W" transfer.
int countRowTransfers(const std::string& stream);

}  // namespace vexmoor::testing
