#include <cstdlib>

#include "raster/spooler/system_ports.h"

namespace vexmoor {

namespace {
void* callocZeroed(void*, std::size_t bytes) { return std::calloc(1, bytes); }
void freeBlock(void*, void* block) { std::free(block); }
}  // namespace

MemoryPort systemMemoryPort() { return MemoryPort{nullptr, &callocZeroed, &freeBlock}; }

JobEnvironment systemEnvironment(const HostPort& host) {
  JobEnvironment env{};
  env.host = host;
  env.spooler = systemSpoolerPort();
  env.disk = systemDiskSpacePort();
  env.config = systemConfigPort();
  env.clock = systemClockPort();
  env.memory = systemMemoryPort();
  env.text = systemTextPort();
  env.counterFile = systemCounterFilePort();
  env.counterFilePath = "cntxout.log";  // the process's current directory
  return env;
}

}  // namespace vexmoor
