#include "update/script/script_keywords.h"

namespace quillet {

namespace {

// Index = code. No keyword is the beginning of another, so the order of the
// tests does not matter; it follows the codes.
const char* const kKeywords[] = {
    nullptr,          "volume lavel:",  "file:",          "patch:",
    "replace:",       "overwrite:",     "remove:",        "toWork:",
    "toWorkNT:",      "toWork2k:",      "toSystem:",      "toSystemNT:",
    "toSystem2k:",    "toIIS:",         "toIISNT:",       "toIIS2k:",
    "folderInWork:",  "startSvc:",      "stopSvc:",       "termProc:",
    "toolshortcut:",  "desktopname:",   "pxmenuname:",    "desktoplnkname:",
    "pxmenulnkname:", "addKey:",        "setKey:",        "delSubKey:",
    "setName:",       "addSZValue:",    "addDWORDValue:", "delName:",
    "setParam:",      "setTime:",       "goExeParam:",    "goExe:",
    "PatchID:",       "PatchName:",     "PatchSetInfo:",  "PatchDelId:",
    "PatchDelTo:",    "PatchDelAll:",   "Admin:",         "Reboot:",
    "updatePPD:",     "VerCheckLower:", "VerCheckUpper:", "TargetModel:",
};
static_assert(sizeof(kKeywords) / sizeof(kKeywords[0]) == kKwLast + 1, "one text per code");

bool isTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

const char* scriptKeywordText(int code) {
  return (code >= 1 && code <= kKwLast) ? kKeywords[code] : nullptr;
}

std::string trimTrailingSpace(const std::string& line) {
  // A trail byte of a two-byte character is never below 0x40, so trimming
  // from the end cannot cut a character in half.
  std::size_t end = line.size();
  while (end > 0 && isTrailingSpace(line[end - 1])) --end;
  return line.substr(0, end);
}

int classifyScriptLine(const std::string& line, std::string* value) {
  std::string text = trimTrailingSpace(line);
  if (!text.empty() && text[0] == '#') {
    *value = text.substr(1);
    return kKwNone;
  }
  for (int code = 1; code <= kKwLast; ++code) {
    std::string keyword = kKeywords[code];
    if (text.compare(0, keyword.size(), keyword) == 0) {
      *value = text.substr(keyword.size());
      return code;
    }
  }
  *value = text;
  return kKwNone;
}

}  // namespace quillet
