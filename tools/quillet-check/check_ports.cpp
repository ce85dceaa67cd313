#include "tools/quillet-check/check_ports.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "update/text/mbcs_text.h"

namespace quillet {

namespace {
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
}  // namespace

bool readWholeFile(std::FILE* file, std::string* bytes) {
  std::string data;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
  if (std::ferror(file)) return false;  // e.g. a folder
  *bytes = std::move(data);
  return true;
}

bool HostFiles::readFile(const std::string& path, std::string* bytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  return file && readWholeFile(file.get(), bytes);
}

bool CheckSystem::systemDirectory(std::string* path) {
  *path = systemDir_;
  return true;
}

bool CheckSystem::environmentVariable(const std::string& name, std::string* value) {
  if (!equalsIgnoringAsciiCase(name, "WINDIR")) return false;
  *value = windir_;
  return true;
}

std::unique_ptr<HeldHandle> CheckSystem::createSemaphore(const std::string&, long* lastError) {
  *lastError = kErrorAccessDenied;
  return nullptr;
}

LocalTime HostClock::localTime() {
  std::time_t now = std::time(nullptr);
  std::tm* tm = std::localtime(&now);
  LocalTime t;
  if (!tm) return t;
  t.year = tm->tm_year + 1900;
  t.month = tm->tm_mon + 1;
  t.day = tm->tm_mday;
  t.hour = tm->tm_hour;
  t.minute = tm->tm_min;
  t.second = tm->tm_sec;
  return t;
}

}  // namespace quillet
