#pragma once
// Splits the script's bytes into lines the way a text-mode read with a
// 260-byte line buffer does: CR LF becomes LF (a lone CR stays), a Ctrl-Z
// byte ends the file, and a line longer than 259 bytes is cut, its rest being
// read as the next line. Each line keeps its LF when it fitted; a line is
// a C string, so it ends at its first NUL byte.
#include <cstddef>
#include <string>

namespace quillet {

constexpr std::size_t kScriptLineBuffer = 260;

class ScriptLineReader {
 public:
  explicit ScriptLineReader(const std::string& bytes) : bytes_(bytes) {}
  // The next line; false at the end of the file.
  bool next(std::string* line);
  // The number of the text line (counted by LF, from 1) on which the last
  // line returned by next() starts.
  int textLine() const { return textLine_; }

 private:
  // The next byte after text-mode translation; false at the end.
  bool nextByte(char* byte);

  const std::string& bytes_;
  std::size_t pos_ = 0;
  bool ended_ = false;
  int lineFeeds_ = 0;
  int textLine_ = 0;
};

}  // namespace quillet
