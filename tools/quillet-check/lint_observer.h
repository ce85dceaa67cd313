#pragma once
// The lint's judge: watches the update tool's reader line by line (which
// line sets which current value, which line takes it, what is appended) and
// collects the findings.
#include <string>
#include <vector>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/lint_file_bytes.h"
#include "tools/quillet-check/lint_finding.h"
#include "update/ports/code_page.h"
#include "update/script/script_observer.h"
#include "update/script/update_job.h"

namespace quillet {

class LintObserver : public ScriptReadObserver {
 public:
  LintObserver(const CheckOptions& options, const CodePage& codePage, FileBytesVerdict fileBytes);

  void lineRead(int textLine, const std::string& line, int code, const std::string& value) override;
  void lineSkipped() override;
  void slotWritten(ScriptSlot slot) override;
  void slotRead(ScriptSlot slot) override;
  void entryAppended(ScriptTable table, bool fitted) override;

  // After the last line the reader read: the findings about the script as a
  // whole, then every finding, silenced ones left out.
  std::vector<LintFinding> finish(const UpdateJob& job);

 private:
  struct SeenLine {
    int textLine;
    std::string text;  // trailing white space removed, cp932
    int code;
  };

  static int index(ScriptSlot slot) { return static_cast<int>(slot); }
  // A target line uses a source line; a shortcut line uses only
  // "toolshortcut:", whose purpose it is (a file source still needs a target).
  static bool usesSource(int reader, int source);
  std::string utf8(const std::string& ansi) const;
  std::string shownLine(int at) const;  // the line quoted, for messages
  void add(LintFinding finding);
  void checkValue(int code, const std::string& value);
  void checkSource(int code, const std::string& value);
  void checkLaunch(const std::string& value);
  void checkSetting(int code);
  void noteFolder(const std::string& value);
  void slotFinding(int code, ScriptSlot slot, int writer);
  void checkParameterUse(int code);
  void closeSource();
  void checkNonKeyword();
  void noteAllowComment(bool continued);
  void settleSetter(ScriptSlot slot, bool read);
  void finishSetters();
  void finishFolders();
  void finishVersions(const UpdateJob& job);

  const CheckOptions& options_;
  const CodePage& cp_;
  FileBytesVerdict fileBytes_;
  std::vector<LintFinding> findings_;
  std::vector<SeenLine> lines_;
  int current_ = -1;
  int lastWriter_[kScriptSlotCount];
  int pendingSetter_[kScriptSlotCount];  // a setter line whose value no line took yet
  bool slotReported_ = false;            // one finding per line about current values
  bool valueReported_ = false;           // the line's value has a finding already
  int openSource_ = -1;
  bool openSourceUsed_ = false;
  int lowerLine_ = -1;
  int upperLine_ = -1;
  bool stopped_ = false;
  int paramTaken_ = -1;
  bool commentChain_ = false;  // the text line being read began as a comment
  int utf8CopyLine_ = 0;       // a copied source with non-ASCII text in a UTF-8 file
  std::vector<int> settingLines_;            // first line of each setting keyword
  std::vector<std::pair<int, int>> ignored_;  // (line, keyword meant) of ignored lines
  std::vector<std::pair<int, std::string>> folders_;
  std::vector<std::string> pendingAllows_;
  std::vector<std::pair<int, std::string>> allowed_;  // (text line, check)
};

}  // namespace quillet
