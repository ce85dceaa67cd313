#include "update/run/run_options.h"

#include "update/run/command_line.h"

namespace quillet {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

// The next token from *p on, its quotes removed; false at the end. No trail
// byte of the ANSI code pages is a blank, tab or quote, so bytes can be
// scanned one by one.
bool nextToken(const char** p, std::string* token, bool* quoted) {
  while (isSeparator(**p)) ++*p;
  if (**p == '\0') return false;
  token->clear();
  *quoted = **p == '"';
  if (*quoted) {
    ++*p;
    while (**p != '\0' && **p != '"') token->push_back(*(*p)++);
    if (**p == '"') ++*p;
    return true;
  }
  while (**p != '\0' && !isSeparator(**p)) token->push_back(*(*p)++);
  return true;
}

bool isLogOption(const std::string& token) {
  if (token.size() != 4 || (token[0] != '/' && token[0] != '-')) return false;
  const char* name = "log";
  for (int i = 0; i < 3; ++i) {
    if ((token[i + 1] | 0x20) != name[i]) return false;
  }
  return true;
}

}  // namespace

RunOptions readRunOptions(const char* commandLine) {
  RunOptions options;
  const CommandWords words = splitCommandLine(commandLine);
  for (int i = 0; i < words.count; ++i) {
    if (words.words[i] == "quiet" || words.words[i] == "/quiet") options.quiet = true;
  }
  options.silent = options.quiet || hasSilentWord(words);
  if (commandLine == nullptr) return options;

  const char* p = commandLine;
  std::string token;
  bool quoted = false;
  while (nextToken(&p, &token, &quoted)) {
    if (quoted || !isLogOption(token)) continue;
    if (nextToken(&p, &token, &quoted) && !token.empty()) {
      options.logRequested = true;
      options.logPath = token;
    }
    break;
  }
  return options;
}

}  // namespace quillet
