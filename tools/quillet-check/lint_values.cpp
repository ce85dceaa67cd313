#include "tools/quillet-check/lint_values.h"

#include <cstdio>

#include "update/script/script_keywords.h"
#include "update/script/script_values.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string withoutLeadingBlanks(const std::string& value) {
  std::size_t start = value.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : value.substr(start);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetterOrDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Digits, ".", one or two digits: the form every script should use.
bool isMajorMinor(const std::string& value) {
  std::size_t i = 0;
  while (i < value.size() && isDigit(value[i])) ++i;
  if (i == 0 || i >= value.size() || value[i] != '.') return false;
  std::size_t minor = value.size() - i - 1;
  for (std::size_t k = i + 1; k < value.size(); ++k)
    if (!isDigit(value[k])) return false;
  return minor == 1 || minor == 2;
}

// Where a blank after the colon changes nothing, or may be meant: values
// that are ignored, a model list (codes are found anywhere), string data
// and the disk label (recorded only).
bool blankIsHarmless(int code) {
  return code == kKwPatchSetInfo || code == kKwPatchDelAll || code == kKwTargetModel ||
         code == kKwAddSZValue || code == kKwVolumeLabel;
}

std::string blankFinding(int code, const std::string& value, const CodePage& cp) {
  const std::string keyword = scriptKeywordText(code);
  const std::string trimmed = withoutLeadingBlanks(value);
  const std::string fix = "; write " + quoted(keyword + toUtf8Lenient(trimmed, cp));
  const std::string shown = quoted(toUtf8Lenient(value, cp));
  const std::string head = "blank after " + quoted(keyword) + ": ";
  switch (code) {
    case kKwAdmin:
    case kKwReboot:
    case kKwUpdatePPD:
      if (parseScriptBoolean(value) == parseScriptBoolean(trimmed)) return "";
      return head + shown + " reads as false" + fix;
    case kKwVerCheckLower:
    case kKwVerCheckUpper:
      if (parseScriptVersion(value) == parseScriptVersion(trimmed)) return "";
      return head + shown + " reads as version " + versionText(parseScriptVersion(value)) + fix;
    case kKwSetTime:
      if (parsePhaseWord(value) == parsePhaseWord(trimmed)) return "";
      return head + shown + " counts as \"later\"" + fix;
    default: return head + "it becomes part of the value " + shown + fix;
  }
}

std::string modelCodes(const ModelRow* table) {
  std::string codes;
  for (const ModelRow* row = table; row->code; ++row) codes += (codes.empty() ? "" : ", ") + std::string(row->code);
  return codes;
}

// Each word of the list (a run of ASCII letters and digits) that is not
// exactly a code of the table.
void modelFindings(const std::string& value, const ModelRow* table, const CodePage& cp,
                   std::vector<std::string>* findings) {
  if (parseModelSet(value, table, cp) == 0) {
    findings->push_back("\"TargetModel:\" names no model code: the update fits no installed model"
                        " (codes: " + modelCodes(table) + ")");
    return;
  }
  const std::string upper = upperCaseSingleByte(value, cp);
  std::size_t i = 0;
  while (i < upper.size()) {
    if (!isAsciiLetterOrDigit(upper[i])) {
      i += (cp.isLeadByte(static_cast<unsigned char>(upper[i])) && i + 1 < upper.size()) ? 2 : 1;
      continue;
    }
    std::size_t end = i;
    while (end < upper.size() && isAsciiLetterOrDigit(upper[end])) ++end;
    const std::string word = upper.substr(i, end - i);
    i = end;
    std::string contained;
    bool exact = false;
    for (const ModelRow* row = table; row->code; ++row) {
      if (word == row->code) exact = true;
      else if (word.find(row->code) != std::string::npos)
        contained += (contained.empty() ? "" : ", ") + std::string(row->code);
    }
    if (exact) continue;
    findings->push_back("\"TargetModel:\" word " + quoted(word) + " is no model code: " +
                        (contained.empty() ? "ignored (codes: " + modelCodes(table) + ")"
                                           : "it counts as " + contained));
  }
}

}  // namespace

std::string versionText(int version) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", version / 100, version % 100);
  return text;
}

std::vector<std::string> valueFindings(int code, const std::string& value,
                                       const ModelRow* modelTable, const CodePage& codePage) {
  std::vector<std::string> findings;
  const bool blank = !value.empty() && (value[0] == ' ' || value[0] == '\t');
  if (blank && !blankIsHarmless(code)) {
    std::string text = blankFinding(code, value, codePage);
    if (!text.empty()) findings.push_back(text);
  }
  if (code == kKwSetTime && !blank && parsePhaseWord(value) == kPhaseLater &&
      !equalsIgnoringAsciiCase(value, "later")) {
    findings.push_back("\"setTime:\" phase word " + quoted(toUtf8Lenient(value, codePage)) +
                       " is unknown: it counts as \"later\" (previous, beforecopy, aftercopy,"
                       " later)");
  }
  if ((code == kKwVerCheckLower || code == kKwVerCheckUpper) && !blank &&
      !isMajorMinor(value.substr(0, kVersionValueMax))) {
    findings.push_back(quoted(std::string(scriptKeywordText(code)) + toUtf8Lenient(value, codePage)) +
                       " is not major.minor: it reads as version " +
                       versionText(parseScriptVersion(value)));
  }
  if (code == kKwTargetModel) modelFindings(value, modelTable, codePage, &findings);
  return findings;
}

}  // namespace quillet
