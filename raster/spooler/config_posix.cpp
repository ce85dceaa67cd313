#include "raster/spooler/config_posix.h"

#include <time.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "raster/spooler/system_ports.h"
#include "raster/spooler/utf16.h"

namespace vexmoor {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool readValue(void*, const char16_t* name, std::uint32_t* value) {
  char narrow[256];
  if (!utf16ToUtf8(name, narrow, sizeof narrow)) return false;
  return readConfigurationValue(posixConfigurationPath(), narrow, value);
}

void sleepMilliseconds(void*, std::uint32_t ms) {
  timespec t{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

void toWide(void*, const char* text, char16_t* out, std::size_t capacity) { utf8ToUtf16(text, out, capacity); }
void toNarrow(void*, const char16_t* text, char* out, std::size_t capacity) { utf16ToUtf8(text, out, capacity); }

}  // namespace

const char* posixConfigurationPath() {
  const char* path = std::getenv("PLEXOR_CONFIG");
  return path && *path ? path : "/etc/plexor/configuration";
}

bool readConfigurationValue(const char* path, const char* name, std::uint32_t* value) {
  std::FILE* f = std::fopen(path, "r");
  if (!f) return false;
  bool found = false;
  char line[1024];
  while (std::fgets(line, sizeof line, f)) {
    std::string text(line);
    std::size_t eq = text.find('=');
    if (eq == std::string::npos || trim(text.substr(0, eq)) != name) continue;
    std::string number = trim(text.substr(eq + 1));
    if (number.empty()) continue;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(number.c_str(), &end, 0);
    if (errno == 0 && end && *end == 0 && number[0] != '-' && v <= 0xFFFFFFFFull) {
      *value = std::uint32_t(v);  // the last line of a name counts
      found = true;
    }
  }
  std::fclose(f);
  return found;
}

ConfigPort systemConfigPort() { return ConfigPort{nullptr, &readValue}; }
ClockPort systemClockPort() { return ClockPort{nullptr, &sleepMilliseconds}; }
TextPort systemTextPort() { return TextPort{nullptr, &toWide, &toNarrow}; }

}  // namespace vexmoor
