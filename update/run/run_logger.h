#pragma once
// Writes the run log's lines, each after the local time, and turns the
// tool's ANSI texts (paths, names) into UTF-8 for it. Until a log has been
// opened every line is dropped, so the flow and the logging ports can write
// whether or not a log was asked for.
#include <string>

#include "update/ports/clock_port.h"
#include "update/ports/code_page.h"
#include "update/ports/run_log_port.h"

namespace quillet {

class RunLogger {
 public:
  RunLogger(RunLogPort& port, ClockPort& clock, const CodePage& codePage)
      : port_(port), clock_(clock), codePage_(codePage) {}

  // Opens the log at the ANSI path; false (and no log) when it cannot be made.
  bool open(const std::string& ansiPath);
  bool enabled() const { return enabled_; }
  // One line "YYYY-MM-DD hh:mm:ss text".
  void line(const std::string& utf8Text);
  // An ANSI text as UTF-8 (characters that do not convert become U+FFFD).
  std::string text(const std::string& ansi) const;

 private:
  RunLogPort& port_;
  ClockPort& clock_;
  const CodePage& codePage_;
  bool enabled_ = false;
};

// "error N" for a Win32 error code, with the name of the common ones.
std::string errorText(long error);

}  // namespace quillet
