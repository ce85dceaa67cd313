#pragma once
// What the command line asks of a run: silent and quiet from the eight words
// of the splitting rule, and the log's path from the raw text, because the
// splitting drops hyphens and cuts quoted paths at their blanks.
#include <string>

namespace quillet {

struct RunOptions {
  bool silent = false;  // "silent", or implied by quiet
  bool quiet = false;   // "quiet" or "/quiet": no window at all
  bool logRequested = false;
  std::string logPath;  // ANSI, without the quotes
};

// Quiet is a word like silent (hyphens dropped, case-sensitive, among the
// first eight). The log is "/log PATH" or "-log PATH" (the option in any
// case) anywhere in the text: tokens are separated by blanks and tabs, and a
// token in double quotes keeps its blanks. The first such option counts; one
// without a path asks for no log.
RunOptions readRunOptions(const char* commandLine);

}  // namespace quillet
