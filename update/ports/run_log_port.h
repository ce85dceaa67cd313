#pragma once
// The run log: a text file of UTF-8 lines, written as the run goes, so that
// a run ended from outside still leaves what it did. A log that cannot be
// created or written is dropped without a word: it never changes the run.
#include <string>

namespace quillet {

class RunLogPort {
 public:
  virtual ~RunLogPort() = default;
  // Creates the file at the ANSI path (an old one is emptied) and writes the
  // UTF-8 byte-order mark; false when it cannot be created.
  virtual bool open(const std::string& path) = 0;
  // Appends the line and CR LF; nothing happens when no file is open or the
  // write fails.
  virtual void writeLine(const std::string& utf8Line) = 0;
};

// The log of a run without one.
class NullRunLog : public RunLogPort {
 public:
  bool open(const std::string&) override { return false; }
  void writeLine(const std::string&) override {}
};

}  // namespace quillet
