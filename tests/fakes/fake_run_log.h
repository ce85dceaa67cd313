#pragma once
// A run log in memory: the path it was opened at and every line written.
#include <string>
#include <vector>

#include "update/ports/run_log_port.h"

namespace quillet {

class FakeRunLog : public RunLogPort {
 public:
  bool open(const std::string& path) override {
    openedPath = path;
    return writable;
  }
  void writeLine(const std::string& utf8Line) override { lines.push_back(utf8Line); }

  bool writable = true;  // false: the file cannot be created
  std::string openedPath;
  std::vector<std::string> lines;
};

}  // namespace quillet
