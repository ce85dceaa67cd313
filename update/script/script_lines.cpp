#include "update/script/script_lines.h"

namespace quillet {

namespace {
constexpr char kCtrlZ = 0x1A;
}  // namespace

bool ScriptLineReader::nextByte(char* byte) {
  if (ended_ || pos_ >= bytes_.size()) return false;
  char c = bytes_[pos_];
  if (c == kCtrlZ) {
    ended_ = true;
    return false;
  }
  if (c == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') {
    pos_ += 2;
    *byte = '\n';
    return true;
  }
  ++pos_;
  *byte = c;
  return true;
}

bool ScriptLineReader::next(std::string* line) {
  line->clear();
  textLine_ = lineFeeds_ + 1;
  char c;
  while (line->size() < kScriptLineBuffer - 1 && nextByte(&c)) {
    line->push_back(c);
    if (c == '\n') {
      ++lineFeeds_;
      break;
    }
  }
  if (line->empty()) return false;
  std::size_t nul = line->find('\0');
  if (nul != std::string::npos) line->resize(nul);
  return true;
}

}  // namespace quillet
