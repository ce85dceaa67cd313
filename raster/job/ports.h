// The machine as the job sees it: spooler, disk space, configuration, clock
// and memory, each a small table of functions with a context. The exported
// functions bind the platform backends (raster/spooler); tests bind fakes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/job/host_port.h"

namespace vexmoor {

using PrinterHandle = void*;

struct PrinterState {
  std::uint32_t queuedJobs = 0;  // jobs still in the printer's queue
};

struct SpoolerPort {
  void* context;
  // Opens the printer by its UTF-16 name; allAccess asks for administrator
  // access without a data type or device mode (used by the disk-space wait).
  bool (*openPrinter)(void* context, const char16_t* name, bool allAccess, PrinterHandle* handle);
  // Starts a raw spool document (level 1, data type "RAW", no output file).
  bool (*startDoc)(void* context, PrinterHandle handle, const char16_t* documentName);
  bool (*write)(void* context, PrinterHandle handle, const void* bytes, std::uint32_t length);
  bool (*endDoc)(void* context, PrinterHandle handle);
  // Deletes the document in progress instead of handing it to the printer.
  bool (*abortDoc)(void* context, PrinterHandle handle);
  bool (*closePrinter)(void* context, PrinterHandle handle);
  // The "DefaultSpoolDirectory" printer data value, UTF-16, into at most
  // capacity characters including the terminator.
  bool (*spoolDirectory)(void* context, PrinterHandle handle, char16_t* directory, std::size_t capacity);
  // Level-2 printer information (two calls: size, then data).
  bool (*printerState)(void* context, PrinterHandle handle, PrinterState* state);
};

struct DiskSpacePort {
  void* context;
  bool (*freeBytesForCaller)(void* context, const char16_t* directory, std::uint64_t* freeBytes);
};

struct ConfigPort {
  void* context;
  // Reads a 4-byte value of the Configuration key; false when absent.
  bool (*readValue)(void* context, const char16_t* name, std::uint32_t* value);
};

struct ClockPort {
  void* context;
  void (*sleepMilliseconds)(void* context, std::uint32_t milliseconds);
};

struct MemoryPort {
  void* context;
  void* (*allocateZeroed)(void* context, std::size_t bytes);  // null on failure
  void (*release)(void* context, void* block);
};

// The job counter file. Taking a number is one step that other threads and
// processes taking one wait for: the file stays locked from the read to the
// rewrite.
constexpr unsigned kCounterLockWaitMilliseconds = 5000;

struct CounterFilePort {
  void* context;
  // Opens the file, creating it when missing, for reading and writing, and
  // waits for an exclusive lock on it. With forWriting false: opens an
  // existing file for reading only, under a shared lock. The wait is bounded
  // (kCounterLockWaitMilliseconds): a holder that hangs must not hang every
  // job. Null when the file does not open, and then *busy tells whether it
  // opened but stayed locked past the bound.
  void* (*openLocked)(void* context, const char* path, bool forWriting, bool* busy);
  // Reads at most capacity - 1 bytes from the start and terminates them.
  void (*readText)(void* context, void* file, char* text, std::size_t capacity);
  // Replaces the whole content in place (same file, same place).
  bool (*replaceText)(void* context, void* file, const char* text, std::size_t length);
  // Releases the lock and closes.
  void (*close)(void* context, void* file);
};

// Conversions between the process's multibyte code page and UTF-16.
struct TextPort {
  void* context;
  // Converts at most capacity-1 units and always terminates.
  void (*toWide)(void* context, const char* text, char16_t* out, std::size_t capacity);
  void (*toNarrow)(void* context, const char16_t* text, char* out, std::size_t capacity);
};

struct JobEnvironment {
  HostPort host;
  SpoolerPort spooler;
  DiskSpacePort disk;
  ConfigPort config;
  ClockPort clock;
  MemoryPort memory;
  TextPort text;
  CounterFilePort counterFile;
  const char* counterFilePath;  // "cntxout.log" in the current directory
};

// calloc/free.
MemoryPort systemMemoryPort();

}  // namespace vexmoor
