#include "raster/job/device_info.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace vexmoor {

void formatPrinterName(const char* templ, int counter, char* out, std::size_t capacity) {
  if (capacity == 0) return;
  char number[16];
  std::snprintf(number, sizeof number, "%d", counter);
  bool used = false;
  std::size_t n = 0;
  auto put = [&](char c) {
    if (n + 1 < capacity) out[n++] = c;
  };
  for (const char* p = templ; *p; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      put('%');
      ++p;
    } else if (p[0] == '%' && p[1] == 'd' && !used) {
      for (const char* d = number; *d; ++d) put(*d);
      used = true;
      ++p;
    } else {
      put(*p);
    }
  }
  out[n] = 0;
}

int takeJobCounter(const CounterFilePort& port, const char* counterFilePath) {
  // A file that cannot be written (read-only, or no rights to create it)
  // still gives its number; the next value then stays unsaved. A file that
  // stays locked past the bound gives none: another job may be taking the
  // same number, and reading it anyway could hand two jobs one printer.
  bool busy = false;
  void* file = port.openLocked(port.context, counterFilePath, true, &busy);
  const bool writable = file != nullptr;
  if (!file && busy) return kNoJobCounter;
  if (!file) file = port.openLocked(port.context, counterFilePath, false, &busy);
  if (!file && busy) return kNoJobCounter;
  int counter = 1;
  if (file) {
    char text[64];
    port.readText(port.context, file, text, sizeof text);
    int value = 0;
    if (std::sscanf(text, "%d", &value) == 1 && value > 0) counter = value;
  }
  const int next = counter == INT_MAX ? 1 : counter + 1;  // wraps instead of overflowing
  if (writable) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d\n", next);
    port.replaceText(port.context, file, text, std::size_t(length));
  }
  if (file) port.close(port.context, file);
  return counter;
}

bool readDeviceInfo(const JobEnvironment& env, const PrintParamBlock& block, char* printerName) {
  printerName[0] = 0;
  char16_t wideDevice[261];
  readWideText(block, PPB_DEVICE_NAME, 260, wideDevice, 261);
  char device[261];
  env.text.toNarrow(env.text.context, wideDevice, device, sizeof device);

  auto* record = static_cast<unsigned char*>(env.memory.allocateZeroed(env.memory.context, PLEXOR_DEVINFO_SIZE));
  if (!record) return true;
  bool named = true;
  if (env.host.getRIPDevInfo(device, record) != 0) {
    char name[PLEXOR_DEVINFO_SIZE - PLEXOR_DEVINFO_NAME_OFFSET + 1];
    std::memcpy(name, record + PLEXOR_DEVINFO_NAME_OFFSET, sizeof name - 1);
    name[sizeof name - 1] = 0;  // the host's text may not be terminated
    if (!std::strchr(name, '%')) {
      std::size_t n = 0;  // longer names are cut to the record's 255 characters
      for (; n + 1 < kPrinterNameCapacity && name[n]; ++n) printerName[n] = name[n];
      printerName[n] = 0;
    } else {
      const int counter = takeJobCounter(env.counterFile, env.counterFilePath);
      named = counter != kNoJobCounter;
      if (named) formatPrinterName(name, counter, printerName, kPrinterNameCapacity);
    }
  }
  env.memory.release(env.memory.context, record);
  return named;
}

}  // namespace vexmoor
