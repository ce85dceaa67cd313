#include "tools/quillet-check/lint_values.h"

#include <algorithm>
#include <cstdio>

#include "tools/quillet-check/full_width.h"
#include "update/ops/registry_edits.h"
#include "update/script/script_keywords.h"
#include "update/script/script_values.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

#include <cstdint>
#include <cstdlib>

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
                   std::vector<LintFinding>* findings) {
  if (parseModelSet(value, table, cp) == 0) {
    findings->push_back(lintError("model-none",
                        "\"TargetModel:\" names no model code: the update fits no installed model"
                        " (codes: " + modelCodes(table) + ")"));
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
    findings->push_back(lintWarning("model-word",
                        "\"TargetModel:\" word " + quoted(word) + " is no model code: " +
                        (contained.empty() ? "ignored (codes: " + modelCodes(table) + ")"
                                           : "it counts as " + contained)));
  }
}

// "Admin:yes" reads as false: a flag reads true only for "1", "on", "true".
void flagFinding(int code, const std::string& value, const CodePage& cp,
                 std::vector<LintFinding>* findings) {
  static const char* const kPlain[] = {"", "0", "1", "on", "off", "true", "false", "no"};
  for (const char* plain : kPlain)
    if (equalsIgnoringAsciiCase(value, plain)) return;
  const std::string keyword = scriptKeywordText(code);
  const std::string shown = quoted(toUtf8Lenient(keyword + value, cp));
  const char* reads = parseScriptBoolean(value) ? "true" : "false";
  bool fullWidth = false;
  const std::string narrowed = narrowFullWidth(value, cp, &fullWidth);
  findings->push_back(lintWarning(
      "flag-value",
      shown + (fullWidth ? " is full-width (typed with a Japanese input method) and" : "") +
          " reads as " + reads + " (only \"1\", \"on\" and \"true\" are true); write " +
          quoted(keyword + (fullWidth && (narrowed == "0" || narrowed == "1") ? narrowed : "1")) +
          " or " + quoted(keyword + "0")));
}

bool isPlainDecimal(const std::string& value) {
  std::size_t i = value.size() > 1 && value[0] == '-' ? 1 : 0;
  if (i >= value.size()) return false;
  for (; i < value.size(); ++i)
    if (!isDigit(value[i])) return false;
  return true;
}

// "addDWORDValue:0x40" writes 0, "PatchDelTo:KB301" reads as 0: the number
// is the decimal digits at the start, as the run time reads it.
void numberFinding(int code, const std::string& value, const CodePage& cp,
                   std::vector<LintFinding>* findings) {
  const bool dword = code == kKwAddDWORDValue;
  if (value.empty() && dword) return;  // writes 0, as it looks
  const long number = runtimeAtol(value);
  if (isPlainDecimal(value)) {
    // Plain digits read as they look unless they do not fit 32 bits.
    const bool negative = value[0] == '-';
    const std::string digits = value.substr(negative ? 1 : 0);
    const std::string limit = negative ? "2147483648" : (dword ? "4294967295" : "2147483647");
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.size() < limit.size() ||
        (significant.size() == limit.size() && significant <= limit))
      return;
  }
  const std::string keyword = scriptKeywordText(code);
  bool fullWidth = false;
  const std::string narrowed = narrowFullWidth(value, cp, &fullWidth);
  std::string fix;
  if (fullWidth && isPlainDecimal(narrowed)) fix = narrowed;
  else if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
    fix = std::to_string(std::strtoul(value.c_str() + 2, nullptr, 16));
  else if (!dword) {
    // "KB301": the number in it, which is what the patch records are named by.
    const std::size_t digits = value.find_first_of("0123456789");
    if (digits != std::string::npos)
      fix = value.substr(digits, value.find_first_not_of("0123456789", digits) - digits);
  }
  std::string text = quoted(toUtf8Lenient(keyword + value, cp)) +
                     (fullWidth ? " is full-width (typed with a Japanese input method) and" : "") +
                     " reads as the number " +
                     (dword ? std::to_string(static_cast<std::uint32_t>(number)) : std::to_string(number)) +
                     " (only decimal digits count)";
  text += dword ? ": that is what Quillet writes" : ": Quillet deletes the patch records numbered up to it";
  if (!fix.empty()) text += "; write " + quoted(keyword + fix);
  findings->push_back(lintWarning("number-value", text));
}

}  // namespace

std::string versionText(int version) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", version / 100, version % 100);
  return text;
}

std::vector<LintFinding> valueFindings(int code, const std::string& value,
                                       const ModelRow* modelTable, const CodePage& codePage) {
  std::vector<LintFinding> findings;
  const bool blank = !value.empty() && (value[0] == ' ' || value[0] == '\t');
  if (blank && !blankIsHarmless(code)) {
    std::string text = blankFinding(code, value, codePage);
    if (text.empty()) return findings;
    // A copied source or a target with a leading blank names nothing there.
    const std::size_t fix = text.rfind("; write ");
    if (code == kKwFile || code == kKwPatch)
      findings.push_back(lintError("blank-after-colon",
                                   text.insert(fix, ", and no file of the media is named so:"
                                                    " Quillet refuses the media (exit 1620)")));
    else if (code >= kKwToWork && code <= kKwToIIS2k)
      findings.push_back(lintError("blank-after-colon",
                                   text.insert(fix, ", and no folder is named so: the copy fails"
                                                    " and the update is put back (exit 1603)")));
    else
      findings.push_back(lintWarning("blank-after-colon", text));
    return findings;  // the value's other findings would be about the blank
  }
  if (code == kKwSetTime && parsePhaseWord(value) == kPhaseLater &&
      !equalsIgnoringAsciiCase(value, "later")) {
    findings.push_back(lintWarning("phase-word",
                       "\"setTime:\" phase word " + quoted(toUtf8Lenient(value, codePage)) +
                       " is unknown: it counts as \"later\" (previous, beforecopy, aftercopy,"
                       " later)"));
  }
  if ((code == kKwVerCheckLower || code == kKwVerCheckUpper) &&
      !isMajorMinor(value.substr(0, kVersionValueMax))) {
    findings.push_back(lintWarning("version-format",
                       quoted(std::string(scriptKeywordText(code)) + toUtf8Lenient(value, codePage)) +
                       " is not major.minor: it reads as version " +
                       versionText(parseScriptVersion(value))));
  }
  if (code == kKwAdmin || code == kKwReboot || code == kKwUpdatePPD) flagFinding(code, value, codePage, &findings);
  if (code == kKwAddDWORDValue || code == kKwPatchDelTo) numberFinding(code, value, codePage, &findings);
  if (code == kKwTargetModel) modelFindings(value, modelTable, codePage, &findings);
  return findings;
}

}  // namespace quillet
