#include "update/run/run_logger.h"

#include <cstdio>

#include "update/ports/status_codes.h"
#include "update/text/utf8_text.h"

namespace quillet {

bool RunLogger::open(const std::string& ansiPath) {
  enabled_ = port_.open(ansiPath);
  return enabled_;
}

void RunLogger::line(const std::string& utf8Text) {
  if (!enabled_) return;
  const LocalTime t = clock_.localTime();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  port_.writeLine(stamp + utf8Text);
}

std::string RunLogger::text(const std::string& ansi) const {
  return toUtf8Lenient(ansi, codePage_);
}

std::string errorText(long error) {
  std::string text = "error " + std::to_string(error);
  switch (error) {
    case kErrorFileNotFound: return text + " (file not found)";
    case kErrorPathNotFound: return text + " (path not found)";
    case kErrorAccessDenied: return text + " (access denied)";
    case kErrorSharingViolation: return text + " (in use)";
    case kErrorFileExists:
    case kErrorAlreadyExists: return text + " (exists)";
    default: return text;
  }
}

}  // namespace quillet
