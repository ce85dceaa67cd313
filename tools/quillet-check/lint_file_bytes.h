#pragma once
// Findings about the script file's bytes, where they make Quillet read
// another text than the author's editor shows: a UTF-8 file or byte-order
// mark, a NUL byte, a carriage return without its line feed, an end-of-file
// mark (Ctrl-Z) before the end.
#include <string>
#include <vector>

#include "tools/quillet-check/lint_finding.h"
#include "update/ports/code_page.h"

namespace quillet {

struct FileBytesVerdict {
  std::vector<LintFinding> findings;  // with their lines
  bool byteOrderMark = false;  // the first line is spoiled by it (said once)
  bool utf8 = false;           // the text is UTF-8: names with non-ASCII bytes differ
};

// Lines numbered as the reader counts them (each LF, after CR LF became LF).
FileBytesVerdict judgeFileBytes(const std::string& bytes, const CodePage& codePage);

}  // namespace quillet
