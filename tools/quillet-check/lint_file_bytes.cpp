#include "tools/quillet-check/lint_file_bytes.h"

#include <algorithm>

#include "tools/quillet-check/lint_words.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

// Control bytes shown as \xNN, the rest converted from cp932.
std::string shown(const std::string& bytes, const CodePage& cp) {
  return quoted(toUtf8Lenient(escapedControls(bytes), cp));
}

// Valid UTF-8 with at least one multi-byte sequence.
bool looksUtf8(const std::string& bytes) {
  bool multiByte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (more < 0 || (more == 1 && c < 0xC2) || i + more >= bytes.size() + (more ? 0 : 1)) return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) >> 6) != 2) return false;
    multiByte = multiByte || more > 0;
    i += more + 1;
  }
  return multiByte;
}

// The bytes of text line `line` up to its end (LF), without the line end.
std::string lineAt(const std::string& bytes, std::size_t start) {
  const std::size_t end = bytes.find('\n', start);
  std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Nothing but white space up to the line end: a NUL or CR there loses
// nothing, since trailing white space goes anyway.
bool restIsBlank(const std::string& text, std::size_t from) {
  return lineAt(text, from).find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

FileBytesVerdict judgeFileBytes(const std::string& bytes, const CodePage& cp) {
  FileBytesVerdict verdict;
  std::size_t start = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    verdict.byteOrderMark = true;
    start = 3;
    verdict.findings.push_back(LintFinding{
        1, "the file starts with a UTF-8 byte-order mark: Quillet reads it as part of line 1, "
           "which it then ignores (" + shown(lineAt(bytes, 3), cp) + "); save the script in "
           "Shift-JIS (code page 932) without a byte-order mark",
        "encoding", false});
  }
  // The text Quillet reads ends at the first Ctrl-Z.
  const std::size_t eof = bytes.find('\x1A', start);
  const std::string text = bytes.substr(0, eof);
  if (looksUtf8(text.substr(start))) {
    verdict.utf8 = true;
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ++line;
        lineStart = i + 1;
      } else if (static_cast<unsigned char>(text[i]) >= 0x80) {
        const std::string utf8Line = lineAt(text, std::max(lineStart, start));
        verdict.findings.push_back(LintFinding{
            line, "the script is saved as UTF-8, but Quillet reads Shift-JIS (code page 932): "
                  "this line reads as " + shown(utf8Line, cp) + "; save the script in Shift-JIS",
            "encoding", false});
        break;
      }
    }
  }
  int line = 1;
  int lastNul = 0, lastCr = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
    } else if (c == '\0' && lastNul != line && !restIsBlank(text, i + 1)) {
      lastNul = line;
      verdict.findings.push_back(LintFinding{
          line, "a NUL byte: Quillet ends the line there and drops the rest " +
                    shown(lineAt(text, i + 1), cp) + "; remove the byte",
          "nul-byte", false});
    } else if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n') && lastCr != line &&
               !restIsBlank(text, i + 1)) {
      lastCr = line;
      verdict.findings.push_back(LintFinding{
          line, "a carriage return without a line feed: Quillet does not end the line there and"
                " reads " + shown(lineAt(text, i + 1), cp) + " as part of this line; end lines "
                "with CR LF or LF",
          "lone-cr", false});
    }
  }
  if (eof != std::string::npos && bytes.find_first_not_of(" \t\r\n\x1A", eof) != std::string::npos) {
    verdict.findings.push_back(LintFinding{
        line, "an end-of-file mark (Ctrl-Z): Quillet stops reading here and ignores everything"
              " after it; remove the byte",
        "eof-mark", false});
  }
  return verdict;
}

}  // namespace quillet
