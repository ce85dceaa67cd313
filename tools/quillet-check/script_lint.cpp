#include "tools/quillet-check/script_lint.h"

#include <algorithm>

#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/keyword_hint.h"
#include "tools/quillet-check/lint_slot_rules.h"
#include "tools/quillet-check/lint_values.h"
#include "tools/quillet-check/media_file_lookup.h"
#include "update/script/script_keywords.h"
#include "update/script/script_observer.h"
#include "update/text/cp932_code_page.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string ordinal(int n) {
  const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                       : n % 10 == 1                    ? "st"
                       : n % 10 == 2                    ? "nd"
                       : n % 10 == 3                    ? "rd"
                                                        : "th";
  return std::to_string(n) + suffix;
}

// What one table holds, for the overflow finding.
struct TableWords {
  const char* entry;
  int capacity;
};

TableWords wordsOf(ScriptTable table) {
  switch (table) {
    case ScriptTable::kFiles: return {"file entry", kMaxFileEntries};
    case ScriptTable::kShortcuts: return {"shortcut", kMaxShortcutEntries};
    case ScriptTable::kLaunches: return {"launch", kMaxLaunchEntries};
    case ScriptTable::kWorkFolders: return {"folder to create", kMaxWorkFolders};
    case ScriptTable::kRegistry: return {"registry entry", kMaxRegistryEntries};
    case ScriptTable::kPatchInfo: return {"patch record", kMaxPatchInfoEntries};
    case ScriptTable::kPatchDeletes: return {"patch deletion", kMaxPatchDeleteEntries};
    case ScriptTable::kServicesToStart: return {"service to start", kMaxServicesToStart};
    case ScriptTable::kServicesToStop: return {"service to stop", kMaxServicesToStop};
    default: return {"process to end", kMaxProcessesToEnd};
  }
}

struct SeenLine {
  int textLine;
  std::string text;  // trailing white space removed, cp932
  int code;
};

// Judges each line as the reader reports what it does with it.
class LintObserver : public ScriptReadObserver {
 public:
  LintObserver(const CheckOptions& options, const CodePage& codePage)
      : options_(options), cp_(codePage) {
    std::fill(std::begin(lastWriter_), std::end(lastWriter_), -1);
  }

  void lineRead(int textLine, const std::string& line, int code,
                const std::string& value) override {
    const bool continued = !lines_.empty() && lines_.back().textLine == textLine;
    lines_.push_back(SeenLine{textLine, trimTrailingSpace(line), code});
    current_ = static_cast<int>(lines_.size()) - 1;
    missingReported_ = false;
    if (!continued) commentChain_ = code == kKwNone && isCommentText(lines_[current_].text);
    // The rest of a line longer than the reader's buffer is a line of its
    // own: harmless after a comment, unless it happens to start a keyword.
    if (continued && (code != kKwNone || !commentChain_))
      add("line longer than 259 bytes: Quillet cuts it there and reads the rest as a line of"
          " its own");
    if (continued && code == kKwNone) return;
    if (code == kKwNone) return checkNonKeyword();
    for (const std::string& text : valueFindings(code, value, kModelTable, cp_)) add(text);
    if (isSourceKeyword(code)) {
      closeSource();
      openSource_ = current_;
      openSourceUsed_ = false;
      // (A blank after the colon is reported on its own.)
      if (code != kKwRemove && code != kKwToolShortcut && !value.empty() && value[0] != ' ' &&
          value[0] != '\t' && !mediaFileExists(options_.sourceDir, value, cp_))
        add(quoted(utf8(value)) + " is not in the media folder " +
            quoted(options_.sourceDir) + ": Quillet refuses the media (exit 1620) before it changes anything");
    }
    if (code == kKwVerCheckLower) lowerLine_ = current_;
    if (code == kKwVerCheckUpper) upperLine_ = current_;
  }

  void lineSkipped() override {
    // A target line for another system version: judged as it reads on that
    // system, so a script gives the same findings for every --os-major.
    if (isTargetKeyword(lines_[current_].code)) {
      slotRead(ScriptSlot::kSource);
      slotRead(ScriptSlot::kName);
    }
  }

  void slotWritten(ScriptSlot slot) override { lastWriter_[index(slot)] = current_; }

  void slotRead(ScriptSlot slot) override {
    const int code = lines_[current_].code;
    if (slot == ScriptSlot::kDetail && (code == kKwGoExe || code == kKwGoExeParam))
      checkParameterUse(code);
    const SlotRule* rule = slotRuleFor(code, slot);
    if (!rule) return;
    const int writer = lastWriter_[index(slot)];
    if (writer == current_) return;
    if (writer < 0) {
      if (!missingReported_)
        add(quoted(scriptKeywordText(code)) + " has no " + rule->writersText +
            " before it: " + rule->missingText);
      missingReported_ = true;
      return;
    }
    const SeenLine& from = lines_[writer];
    for (const int* w = rule->writers; *w; ++w) {
      if (*w != from.code) continue;
      if (slot == ScriptSlot::kSource && writer == openSource_ && usesSource(code, from.code))
        openSourceUsed_ = true;
      return;
    }
    add(quoted(scriptKeywordText(code)) + " takes its " + rule->what + " from line " +
        std::to_string(from.textLine) + " (" + quoted(utf8(from.text)) + "), not from a " +
        rule->writersText + " (the current values are shared): put a " + rule->writersText +
        " directly before it");
  }

  void entryAppended(ScriptTable table, bool fitted) override {
    if (fitted) return;
    const TableWords words = wordsOf(table);
    add("the " + ordinal(words.capacity + 1) + " " + words.entry + " does not fit (" +
        std::to_string(words.capacity) + " at most): Quillet stops reading here with a script"
        " error, and the update does not run");
    stopped_ = true;
  }

  // After the last line the reader read.
  void finish(const UpdateJob& job) {
    if (!stopped_) closeSource();
    if (job.versionLower > job.versionUpper) {
      const int at = std::max(lowerLine_, upperLine_);
      if (at < 0) return;  // the defaults always fit
      current_ = at;
      std::string text = "no installed version fits: \"VerCheckLower:\" " +
                         versionText(job.versionLower);
      if (lowerLine_ >= 0) text += " (line " + std::to_string(lines_[lowerLine_].textLine) + ")";
      text += " is above \"VerCheckUpper:\" " + versionText(job.versionUpper);
      if (upperLine_ >= 0) text += " (line " + std::to_string(lines_[upperLine_].textLine) + ")";
      add(text);
    }
  }

  std::vector<LintFinding> findings;

 private:
  static int index(ScriptSlot slot) { return static_cast<int>(slot); }

  std::string utf8(const std::string& ansi) const { return toUtf8Lenient(ansi, cp_); }

  void add(const std::string& text) { findings.push_back({lines_[current_].textLine, text}); }

  // A target line uses a source line; a shortcut line uses only
  // "toolshortcut:", whose purpose it is (a file source still needs a target).
  static bool usesSource(int reader, int source) {
    return isTargetKeyword(reader) || (isShortcutKeyword(reader) && source == kKwToolShortcut);
  }

  // "goExe:" stores the parameter text but never passes it: a "setParam:"
  // that no "goExeParam:" took was meant for a program that will not get it.
  void checkParameterUse(int code) {
    const int writer = lastWriter_[index(ScriptSlot::kDetail)];
    if (writer < 0 || lines_[writer].code != kKwSetParam || writer == paramTaken_) return;
    paramTaken_ = writer;
    if (code == kKwGoExe)
      add("\"goExe:\" starts the program without the parameter text of line " +
          std::to_string(lines_[writer].textLine) + " (" + quoted(utf8(lines_[writer].text)) +
          "): use \"goExeParam:\" to pass it");
  }

  // The source line still open places nothing when no line used it.
  void closeSource() {
    if (openSource_ < 0 || openSourceUsed_) return;
    const SeenLine& source = lines_[openSource_];
    const int keep = current_;
    current_ = openSource_;
    add(source.code == kKwToolShortcut
            ? "source line with no shortcut line after it: " + quoted(utf8(source.text)) +
                  " makes nothing"
            : "source line with no target line after it: " + quoted(utf8(source.text)) +
                  " places nothing");
    current_ = keep;
    openSource_ = -1;
  }

  static bool isCommentText(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    return start != std::string::npos && text[start] == '#';
  }

  void checkNonKeyword() {
    const std::string& text = lines_[current_].text;
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos || text[start] == '#') return;  // empty or comment
    const std::string rest = text.substr(start);
    std::string value;
    const int code = classifyScriptLine(rest, &value);
    if (start > 0 && code != kKwNone) {
      add("blanks before " + quoted(scriptKeywordText(code)) +
          ": the line is ignored (a keyword must start the line)");
      return;
    }
    const char* hint = nearestKeyword(rest);
    const std::string head = keywordHead(rest);
    if (!hint) {
      add("not a keyword line: the line is ignored (a comment starts with \"#\")");
    } else {
      add(quoted(utf8(head)) + " is not a keyword" +
          (equalsIgnoringAsciiCase(head, hint) ? " (letter case counts)" : "") +
          ": the line is ignored; the keyword is " + quoted(hint));
    }
  }

  const CheckOptions& options_;
  const CodePage& cp_;
  std::vector<SeenLine> lines_;
  int current_ = -1;
  int lastWriter_[kScriptSlotCount];
  bool missingReported_ = false;
  int openSource_ = -1;
  bool openSourceUsed_ = false;
  int lowerLine_ = -1;
  int upperLine_ = -1;
  bool stopped_ = false;
  int paramTaken_ = -1;
  bool commentChain_ = false;  // the text line being read began as a comment
};

}  // namespace

std::vector<LintFinding> lintScriptBytes(const CheckOptions& options, const std::string& bytes,
                                         ClockPort& clock) {
  Cp932CodePage codePage;
  LintObserver observer(options, codePage);
  ScriptCheck check = checkScriptBytes(options, bytes, clock, &observer);
  observer.finish(*check.job);
  std::vector<LintFinding> findings = std::move(observer.findings);
  std::stable_sort(findings.begin(), findings.end(),
                   [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
  return findings;
}

int printLintFindings(const std::string& scriptName, const std::vector<LintFinding>& findings,
                      std::ostream& out) {
  for (const LintFinding& finding : findings)
    out << scriptName << ":" << finding.line << ": warning: " << finding.text << "\n";
  return findings.empty() ? 0 : 1;
}

}  // namespace quillet
