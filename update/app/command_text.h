#pragma once
// The framework's command-line text: what follows the program name in the
// process's command line, as the system's start-up code hands it to WinMain.

namespace quillet {

// Skips the program name (quoted: up to the closing quote; else up to the
// first blank or tab) and the blanks and tabs after it. Null stays null.
// Byte-wise scanning is safe: no trail byte of the ANSI code pages is a
// blank, tab or quote.
inline const char* commandLineAfterProgramName(const char* commandLine) {
  if (commandLine == nullptr) return nullptr;
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace quillet
