#include "tools/quillet-check/lint_observer.h"

#include <algorithm>

#include "tools/quillet-check/full_width.h"
#include "tools/quillet-check/keyword_hint.h"
#include "tools/quillet-check/lint_paths.h"
#include "tools/quillet-check/lint_slot_rules.h"
#include "tools/quillet-check/lint_values.h"
#include "tools/quillet-check/lint_words.h"
#include "tools/quillet-check/media_file_lookup.h"
#include "tools/quillet-check/windows_processes.h"
#include "update/script/script_keywords.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

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

// Lines that only set a current value for later lines.
bool isSetter(int code) {
  return code == kKwSetKey || code == kKwSetName || code == kKwSetParam || code == kKwSetTime ||
         code == kKwPatchID || code == kKwPatchName;
}

// What is lost when no line takes a setter's value.
const char* unusedText(int code) {
  switch (code) {
    case kKwSetKey: return "no registry line uses the key";
    case kKwSetName: return "no \"addSZValue:\" or \"addDWORDValue:\" line uses the value name, so nothing is written";
    case kKwSetParam: return "no \"goExeParam:\" line passes the parameter text";
    case kKwSetTime: return "it applies to no launch line: put it before the \"goExe:\" or \"goExeParam:\" line it is meant for";
    default: return "no \"PatchSetInfo:\" line follows, so no patch record is written (deployment tools look for it)";
  }
}

bool isSettingKeyword(int code) {
  return code == kKwAdmin || code == kKwReboot || code == kKwUpdatePPD ||
         code == kKwVerCheckLower || code == kKwVerCheckUpper || code == kKwTargetModel;
}

bool isAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool isCommentText(const std::string& text) {
  const std::size_t start = text.find_first_not_of(" \t");
  return start != std::string::npos && text[start] == '#';
}

}  // namespace

LintObserver::LintObserver(const CheckOptions& options, const CodePage& codePage,
                           FileBytesVerdict fileBytes)
    : options_(options), cp_(codePage), fileBytes_(std::move(fileBytes)),
      settingLines_(kKwLast + 1, -1) {
  std::fill(std::begin(lastWriter_), std::end(lastWriter_), -1);
  std::fill(std::begin(pendingSetter_), std::end(pendingSetter_), -1);
}

std::string LintObserver::utf8(const std::string& ansi) const { return toUtf8Lenient(ansi, cp_); }

std::string LintObserver::shownLine(int at) const {
  return quoted(utf8(escapedControls(lines_[at].text)));
}

void LintObserver::add(LintFinding finding) {
  finding.line = lines_[current_].textLine;
  findings_.push_back(std::move(finding));
}

void LintObserver::lineRead(int textLine, const std::string& line, int code,
                            const std::string& value) {
  const bool continued = !lines_.empty() && lines_.back().textLine == textLine;
  lines_.push_back(SeenLine{textLine, trimTrailingSpace(line), code});
  current_ = static_cast<int>(lines_.size()) - 1;
  slotReported_ = false;
  valueReported_ = false;
  noteAllowComment(continued);
  if (!continued) commentChain_ = code == kKwNone && isCommentText(lines_[current_].text);
  // The rest of a line longer than the reader's buffer is a line of its
  // own: harmless after a comment, unless it happens to start a keyword.
  if (continued && (code != kKwNone || !commentChain_))
    add(lintWarning("long-line", "line longer than 259 bytes: Quillet cuts it there and reads"
                                 " the rest as a line of its own"));
  if (continued && code == kKwNone) return;
  if (code == kKwNone) return checkNonKeyword();
  checkValue(code, value);
  if (isSourceKeyword(code)) checkSource(code, value);
  if (code == kKwGoExe || code == kKwGoExeParam) checkLaunch(value);
  if (isSettingKeyword(code)) checkSetting(code);
  if (code == kKwFolderInWork) noteFolder(value);
  if (code == kKwTermProc && value.size() <= 63) {  // a longer name ends nothing
    const std::string system = windowsProcessMatched(value, cp_);
    if (!system.empty())
      add(lintWarning("process-system", shownLine(current_) + " also ends Windows' own " +
                                            quoted(system) + ": name the program exactly"));
  }
  if (code == kKwVerCheckLower) lowerLine_ = current_;
  if (code == kKwVerCheckUpper) upperLine_ = current_;
}

void LintObserver::checkValue(int code, const std::string& value) {
  std::vector<LintFinding> found = valueFindings(code, value, kModelTable, cp_);
  const bool blank = !value.empty() && (value[0] == ' ' || value[0] == '\t');
  if (!blank) {
    std::vector<LintFinding> paths = pathFindings(code, value, cp_);
    found.insert(found.end(), paths.begin(), paths.end());
  }
  valueReported_ = !found.empty() || blank;
  for (LintFinding& finding : found) add(std::move(finding));
}

void LintObserver::checkSource(int code, const std::string& value) {
  closeSource();
  openSource_ = current_;
  openSourceUsed_ = false;
  if (code == kKwRemove || code == kKwToolShortcut || valueReported_) return;
  if (fileBytes_.utf8 && !isAscii(value)) {
    // Said once, by the file's finding: the name Windows reads is another.
    if (isAlwaysCopiedSource(code) && utf8CopyLine_ == 0) utf8CopyLine_ = lines_[current_].textLine;
    return;
  }
  if (mediaFileExists(options_.sourceDir, value, cp_)) return;
  const std::string head = quoted(utf8(escapedControls(value))) + " is not in the media folder " +
                           quoted(options_.sourceDir) + ": ";
  if (isAlwaysCopiedSource(code))
    add(lintError("media-missing", head + "Quillet refuses the media (exit 1620) before it"
                                          " changes anything"));
  else
    add(lintWarning("media-missing", head + "where the target is installed, Quillet refuses the"
                                            " media (exit 1620) before it changes anything"));
}

void LintObserver::checkLaunch(const std::string& value) {
  if (valueReported_ || value.empty() || (fileBytes_.utf8 && !isAscii(value))) return;
  if (mediaFileExists(options_.sourceDir, value, cp_)) return;
  add(lintWarning("launch-missing",
                  quoted(utf8(escapedControls(value))) + " is not in the media folder " + quoted(options_.sourceDir) +
                      ": the program does not start, and the update still ends as done (exit 0)"));
}

void LintObserver::checkSetting(int code) {
  int& first = settingLines_[code];
  if (first < 0) {
    first = current_;
    return;
  }
  add(lintWarning("setting-repeated",
                  quoted(scriptKeywordText(code)) + " is given again (first on line " +
                      std::to_string(lines_[first].textLine) + ", " + shownLine(first) +
                      "): only the last one counts; keep one"));
}

void LintObserver::noteFolder(const std::string& value) {
  folders_.emplace_back(current_, value);
}

void LintObserver::lineSkipped() {
  // A target line for another system version: judged as it reads on that
  // system, so a script gives the same findings for every --os-major.
  if (isTargetKeyword(lines_[current_].code)) {
    slotRead(ScriptSlot::kSource);
    slotRead(ScriptSlot::kName);
  }
}

void LintObserver::slotWritten(ScriptSlot slot) {
  const int code = lines_[current_].code;
  const int pending = pendingSetter_[index(slot)];
  // A value set on purpose and replaced by another set on purpose before
  // any line took it; replaced by a line of another kind, the line that
  // takes the wrong value says so.
  if (pending >= 0 && pending != current_ && (isSetter(code) || code == kKwAddKey) &&
      slot != ScriptSlot::kMode) {
    const int keep = current_;
    current_ = pending;
    add(lintWarning("unused-value", shownLine(pending) + " is replaced by line " +
                                        std::to_string(lines_[keep].textLine) + " (" +
                                        shownLine(keep) + ") before any line uses it"));
    current_ = keep;
  }
  pendingSetter_[index(slot)] = isSetter(code) && !valueReported_ ? current_ : -1;
  lastWriter_[index(slot)] = current_;
}

void LintObserver::slotRead(ScriptSlot slot) {
  pendingSetter_[index(slot)] = -1;
  const int code = lines_[current_].code;
  if (slot == ScriptSlot::kDetail && (code == kKwGoExe || code == kKwGoExeParam))
    checkParameterUse(code);
  const SlotRule* rule = slotRuleFor(code, slot);
  if (!rule) return;
  const int writer = lastWriter_[index(slot)];
  if (writer == current_) return;
  if (writer >= 0) {
    const SeenLine& from = lines_[writer];
    for (const int* w = rule->writers; *w; ++w) {
      if (*w != from.code) continue;
      if (slot == ScriptSlot::kSource && writer == openSource_ && usesSource(code, from.code))
        openSourceUsed_ = true;
      if (slot == ScriptSlot::kSource && isShortcutKeyword(code) && from.code != kKwToolShortcut)
        add(lintWarning("link-to-media",
                        quoted(scriptKeywordText(code)) + " points to the media copy of line " +
                            std::to_string(from.textLine) + " (" + shownLine(writer) +
                            "), which is gone after the update: put a \"toolshortcut:\" line"
                            " naming the installed program before it"));
      return;
    }
  }
  slotFinding(code, slot, writer);
}

// A line that takes a current value no line of the right kind set.
void LintObserver::slotFinding(int code, ScriptSlot slot, int writer) {
  const SlotRule* rule = slotRuleFor(code, slot);
  const bool target = isTargetKeyword(code);
  const bool shortcut = isShortcutKeyword(code);
  // An empty or foreign source makes every copy fail; the rest misleads.
  const bool error = target && (slot == ScriptSlot::kSource || writer < 0);
  if (slotReported_ && !error) return;
  if (slotReported_) {
    // An error outranks the line's warning about another value.
    if (findings_.back().error) return;
    findings_.pop_back();
  }
  slotReported_ = true;
  const char* check = writer >= 0 ? "shared-value" : (target || shortcut ? "no-source" : "no-value");
  // A line meant to set the value may have been ignored: say so, once.
  int meant = -1;
  for (const auto& [line, intended] : ignored_) {
    if (line <= writer) continue;
    for (const int* w = rule->writers; *w; ++w)
      if (*w == intended) meant = line;
  }
  const std::string kw = quoted(scriptKeywordText(code));
  std::string text;
  if (meant >= 0) {
    text = kw + " has no " + rule->writersText + " before it, since line " +
           std::to_string(lines_[meant].textLine) + " is ignored (see there): " +
           (writer < 0 ? std::string(rule->missingText)
                       : "it takes its " + std::string(rule->what) + " from line " +
                             std::to_string(lines_[writer].textLine) + " (" + shownLine(writer) +
                             ") instead");
  } else if (writer < 0) {
    text = kw + " has no " + rule->writersText + " before it: " + rule->missingText;
  } else {
    text = kw + " takes its " + rule->what + " from line " +
           std::to_string(lines_[writer].textLine) + " (" + shownLine(writer) + "), not from a " +
           rule->writersText + " (the current values are shared): put a " + rule->writersText +
           " directly before it";
  }
  add(error ? lintError(check, text) : lintWarning(check, text));
}

void LintObserver::entryAppended(ScriptTable table, bool fitted) {
  if (fitted) return;
  const TableWords words = wordsOf(table);
  add(lintError("table-full", "the " + ordinal(words.capacity + 1) + " " + words.entry +
                                  " does not fit (" + std::to_string(words.capacity) +
                                  " at most): Quillet stops reading here with a script"
                                  " error, and the update does not run"));
  stopped_ = true;
}

bool LintObserver::usesSource(int reader, int source) {
  return isTargetKeyword(reader) || (isShortcutKeyword(reader) && source == kKwToolShortcut);
}

// "goExe:" stores the parameter text but never passes it: a "setParam:"
// that no "goExeParam:" took was meant for a program that will not get it.
void LintObserver::checkParameterUse(int code) {
  const int writer = lastWriter_[index(ScriptSlot::kDetail)];
  if (writer < 0 || lines_[writer].code != kKwSetParam || writer == paramTaken_) return;
  paramTaken_ = writer;
  if (code == kKwGoExe)
    add(lintWarning("param-not-passed",
                    "\"goExe:\" starts the program without the parameter text of line " +
                        std::to_string(lines_[writer].textLine) + " (" + shownLine(writer) +
                        "): use \"goExeParam:\" to pass it"));
}

// The source line still open places nothing when no line used it.
void LintObserver::closeSource() {
  if (openSource_ < 0 || openSourceUsed_) return;
  const SeenLine& source = lines_[openSource_];
  const int keep = current_;
  current_ = openSource_;
  add(lintWarning("unused-source",
                  source.code == kKwToolShortcut
                      ? "source line with no shortcut line after it: " + shownLine(openSource_) +
                            " makes nothing"
                      : "source line with no target line after it: " + shownLine(openSource_) +
                            " places nothing"));
  current_ = keep;
  openSource_ = -1;
}

void LintObserver::noteAllowComment(bool continued) {
  if (continued) return;
  const std::string& text = lines_[current_].text;
  const std::size_t hash = text.find_first_not_of(" \t");
  const std::size_t word = hash == std::string::npos || text[hash] != '#'
                               ? std::string::npos
                               : text.find_first_not_of(" \t", hash + 1);
  const std::string allow = kAllowCommentWord;
  if (word != std::string::npos && text.compare(word, allow.size(), allow) == 0) {
    const std::size_t start = text.find_first_not_of(" \t", word + allow.size());
    const std::string name =
        start == std::string::npos ? "" : text.substr(start, text.find_first_of(" \t", start) - start);
    if (isLintCheckName(name))
      pendingAllows_.push_back(name);
    else
      add(lintWarning("unknown-check", quoted(utf8(escapedControls(name))) +
                                           " is no check name: the comment silences nothing"));
    return;
  }
  for (const std::string& name : pendingAllows_)
    allowed_.emplace_back(lines_[current_].textLine, name);
  pendingAllows_.clear();
}

void LintObserver::checkNonKeyword() {
  const std::string& text = lines_[current_].text;
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos || text[start] == '#') return;  // empty or comment
  if (fileBytes_.byteOrderMark && lines_[current_].textLine == 1) {
    // Said once, by the file's finding; the line it spoils may be meant.
    std::string value;
    const int meant = classifyScriptLine(text.substr(std::min<std::size_t>(3, text.size())), &value);
    if (meant != kKwNone) ignored_.emplace_back(current_, meant);
    return;
  }
  const std::string rest = text.substr(start);
  std::string value;
  const int code = classifyScriptLine(rest, &value);
  if (start > 0 && code != kKwNone) {
    ignored_.emplace_back(current_, code);
    add(lintWarning("blank-before-keyword",
                    "blanks before " + quoted(scriptKeywordText(code)) +
                        ": the line is ignored (a keyword must start the line)"));
    return;
  }
  bool fullWidth = false;
  const std::string narrowed = narrowFullWidth(text, cp_, &fullWidth);
  const int meant = fullWidth ? classifyScriptLine(narrowed, &value) : kKwNone;
  if (meant != kKwNone) {
    ignored_.emplace_back(current_, meant);
    add(lintWarning("not-keyword",
                    shownLine(current_) + " holds full-width characters (typed with a Japanese"
                    " input method), so it starts with no keyword: the line is ignored; write " +
                    quoted(utf8(escapedControls(narrowed)))));
    return;
  }
  const char* hint = nearestKeyword(rest);
  const std::string head = keywordHead(rest);
  if (!hint) {
    add(lintWarning("not-keyword", shownLine(current_) + " is not a keyword line: the line is"
                                                         " ignored (a comment starts with \"#\")"));
    return;
  }
  for (int c = 1; c <= kKwLast; ++c)
    if (std::string(scriptKeywordText(c)) == hint) ignored_.emplace_back(current_, c);
  add(lintWarning("not-keyword",
                  quoted(utf8(escapedControls(head))) + " is not a keyword" +
                      (equalsIgnoringAsciiCase(head, hint) ? " (letter case counts)" : "") +
                      ": the line is ignored; the keyword is " + quoted(hint)));
}

void LintObserver::finishSetters() {
  std::vector<int> seen;
  for (int slot = 0; slot < kScriptSlotCount; ++slot) {
    const int at = pendingSetter_[slot];
    if (at < 0 || std::find(seen.begin(), seen.end(), at) != seen.end()) continue;
    seen.push_back(at);
    current_ = at;
    add(lintWarning("unused-value", shownLine(at) + " is used by no line after it: " +
                                        unusedText(lines_[at].code)));
  }
}

// A folder is made only as the last part of its path: its parent must be
// there already, or be made by an earlier line.
void LintObserver::finishFolders() {
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    const std::string parent = folderOf(folders_[i].second, "", cp_);
    if (parent.empty()) continue;
    for (std::size_t j = i + 1; j < folders_.size(); ++j) {
      if (!equalsIgnoringAsciiCase(folders_[j].second, parent)) continue;
      current_ = folders_[i].first;
      add(lintError("folder-order",
                    shownLine(current_) + " comes before the line that makes its parent, line " +
                        std::to_string(lines_[folders_[j].first].textLine) + " (" +
                        shownLine(folders_[j].first) + "): Quillet makes only the last folder of"
                        " a path, so this one fails and the update is put back (exit 1603);"
                        " make the parent first"));
      break;
    }
  }
}

void LintObserver::finishVersions(const UpdateJob& job) {
  if (job.versionLower <= job.versionUpper) return;
  const int at = std::max(lowerLine_, upperLine_);
  if (at < 0) return;  // the defaults always fit
  current_ = at;
  std::string text = "no installed version fits: \"VerCheckLower:\" " + versionText(job.versionLower);
  if (lowerLine_ >= 0) text += " (line " + std::to_string(lines_[lowerLine_].textLine) + ")";
  text += " is above \"VerCheckUpper:\" " + versionText(job.versionUpper);
  if (upperLine_ >= 0) text += " (line " + std::to_string(lines_[upperLine_].textLine) + ")";
  add(lintError("version-range", text));
}

std::vector<LintFinding> LintObserver::finish(const UpdateJob& job) {
  if (!lines_.empty()) {
    if (!stopped_) {
      closeSource();
      finishSetters();
      finishFolders();
    }
    finishVersions(job);
  }
  for (LintFinding& finding : fileBytes_.findings) {
    if (finding.text.find("saved as UTF-8") != std::string::npos && utf8CopyLine_ > 0) {
      finding.error = true;
      const std::size_t fix = finding.text.rfind("; save the script");
      finding.text.insert(fix, "; a copied file's name (line " + std::to_string(utf8CopyLine_) +
                                   ") then names no file of the media: Quillet refuses the media"
                                   " (exit 1620)");
    }
    findings_.push_back(finding);
  }
  std::vector<LintFinding> kept;
  for (LintFinding& finding : findings_) {
    const bool silenced = std::find(allowed_.begin(), allowed_.end(),
                                    std::make_pair(finding.line, finding.check)) != allowed_.end();
    if (!silenced) kept.push_back(std::move(finding));
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
  return kept;
}

}  // namespace quillet
