#include "tools/quillet-check/script_plan.h"

#include <cstdint>
#include <sstream>

#include "tools/quillet-check/lint_values.h"
#include "tools/quillet-check/plan_registry.h"
#include "update/ops/registry_edits.h"
#include "update/run/run_messages.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

class PlanWriter {
 public:
  PlanWriter(const UpdateJob& job, const CodePage& codePage, const PlanFacts& facts)
      : job_(job), cp_(codePage), facts_(facts) {}

  std::string write() {
    checks();
    out_ << "Then, in this order (steps marked " << kMayFail << " can fail the update):\n";
    for (int i = 0; i < job_.processToEndCount; ++i)
      step(job_.processesToEnd[i].size() > 63
               ? "end nothing for " + text(job_.processesToEnd[i]) + ": a name longer than 63 bytes is left out"
               : "end every process whose name, with or without extension, matches " +
                     text(job_.processesToEnd[i]) + " (any letter case)");
    launches(kPhasePrevious);
    for (int i = 0; i < job_.serviceToStopCount; ++i)
      step("stop the service " + text(job_.servicesToStop[i]) + ", its running dependents first");
    if (job_.serviceToStopCount > 0) step("wait 2 seconds");
    for (int i = 0; i < job_.workFolderCount; ++i)
      step("create the folder " + text(job_.workFolders[i]) + " (its parent must exist)", true);
    launches(kPhaseBeforeCopy);
    for (int i = 0; i < job_.fileEntryCount; ++i) {
      const FileEntry& e = job_.fileEntries[i];
      if (e.removeTarget)
        step("remove " + text(e.targetPath) + ": each matching file, and each matching folder with everything in it" + onlyOn(i), true);
    }
    for (int i = 0; i < job_.fileEntryCount; ++i) {
      const FileEntry& e = job_.fileEntries[i];
      if (!e.removeTarget)
        step("copy " + text(e.sourcePath) + " to " + text(e.targetPath) + ", " + copyRule(e) + onlyOn(i), true);
    }
    skippedLines();
    launches(kPhaseAfterCopy);
    for (int i = 0; i < job_.serviceToStartCount; ++i)
      step("start the service " + text(job_.servicesToStart[i]) + " (also when the update is put back)");
    for (int i = 0; i < job_.patchDeleteEntryCount; ++i) patchDelete(job_.patchDeleteEntries[i]);
    registrySteps();
    for (int i = 0; i < job_.patchInfoEntryCount; ++i) {
      const PatchInfoEntry& e = job_.patchInfoEntries[i];
      step("record the patch HKLM\\SOFTWARE\\norvane\\Plexor\\Update\\" + utf8(e.patchId) +
           " with the Title " + text(e.patchName) +
           " and the Date and Time at which Quillet read the script", true);
    }
    for (int i = 0; i < job_.shortcutEntryCount; ++i) {
      const ShortcutEntry& e = job_.shortcutEntries[i];
      step(std::string(e.linkKind == kLinkInternet ? "write the internet shortcut "
                                                   : "write the shell link ") +
           text(e.linkPath) + " to " + text(e.targetPath) +
           " (left out when its folder does not exist)", true);
    }
    if (job_.updatePPD)
      step("notify the print service \"Lindquay\" (control code 128), then wait 10 seconds");
    launches(kPhaseLater);
    if (steps_ == 0) out_ << "  nothing\n";
    if (failing_ > 0)
      out_ << "When a step marked " << kMayFail << " fails, Quillet puts back every change of the update\n"
              "(files, folders, registry, patch and uninstall records, shortcuts), starts the services\n"
              "it stopped, skips the other steps and ends with exit 1603; a failed copy shows \""
           << kMsgCopyFailed << "\".\n"
              "Ended processes and started programs are not undone.\n";
    out_ << (job_.rebootRequired ? "At the end Quillet offers to restart the computer.\n"
                                 : "At the end Quillet offers no restart.\n");
    return out_.str();
  }

 private:
  std::string utf8(const std::string& ansi) const { return toUtf8Lenient(ansi, cp_); }
  std::string text(const std::string& ansi) const { return "\"" + utf8(ansi) + "\""; }

  static constexpr const char* kMayFail = "[may fail]";

  void step(const std::string& words, bool mayFail = false) {
    ++steps_;
    failing_ += mayFail ? 1 : 0;
    out_ << "  " << steps_ << ". " << words << (mayFail ? std::string(" ") + kMayFail : "") << "\n";
  }

  // The condition of a file entry from an NT 4 or 2000 line.
  std::string onlyOn(int entry) const {
    const int code = entry < static_cast<int>(facts_.fileEntryCodes.size()) ? facts_.fileEntryCodes[entry] : 0;
    const int major = requiredOsMajor(code);
    return major ? ", only on major version " + std::to_string(major) + " (as assumed)" : "";
  }

  void skippedLines() {
    for (const SkippedLine& line : facts_.skipped)
      out_ << "  (line " << line.textLine << " " << text(line.text) << " runs only on major version "
           << requiredOsMajor(line.code) << ": not on the version assumed)\n";
  }

  void registrySteps() {
    const std::vector<RegistryOutcome> outcomes = registryOutcomes(job_, cp_);
    for (int i = 0; i < job_.registryEntryCount; ++i) {
      if (outcomes[i] == RegistryOutcome::kEndsTheStep) {
        const RegistryEntry& e = job_.registryEntries[i];
        step("delete the subkey " + text(e.valueName) + " of " + text("HKLM\\" + e.keyPath) +
             ": that key will not exist, so the registry edits end here (" +
             std::to_string(job_.registryEntryCount - i - 1) + " after it not made)");
        return;
      }
      registry(job_.registryEntries[i], outcomes[i]);
    }
  }

  void checks() {
    bool limited = !facts_.skipped.empty();
    for (int code : facts_.fileEntryCodes) limited = limited || requiredOsMajor(code) != 0;
    if (limited)
      out_ << "Assumed: a system of major version " << facts_.osMajor
           << " (--os-major; lines for NT 4 need 4, lines for 2000 need 5).\n";
    out_ << "Quillet goes on only when the installed product fits:\n";
    if (job_.versionLower == 0 && job_.versionUpper == 100000)
      out_ << "  any installed version\n";
    else
      out_ << "  installed version " << versionText(job_.versionLower) << " to "
           << versionText(job_.versionUpper) << "\n";
    out_ << "  model " << models() << "\n";
    out_ << (job_.adminRequired ? "  run by an administrator\n" : "  run by any user\n");
    bool any = job_.workFolderCount > 0 || job_.shortcutEntryCount > 0;
    for (int i = 0; i < job_.fileEntryCount; ++i) any = any || job_.fileEntries[i].recordForUninstall;
    bool reads = false;
    for (int i = 0; i < job_.fileEntryCount; ++i) reads = reads || !job_.fileEntries[i].removeTarget;
    if (reads)
      out_ << "  every media file it copies can be read (else exit 1620, nothing changed)\n";
    if (!any) return;
    out_ << "Before anything changes it records for uninstall " << kMayFail << ":\n";
    for (int i = 0; i < job_.fileEntryCount; ++i)
      if (job_.fileEntries[i].recordForUninstall)
        out_ << "  file " << text(job_.fileEntries[i].targetPath) << "\n";
    for (int i = 0; i < job_.shortcutEntryCount; ++i)
      out_ << "  file " << text(job_.shortcutEntries[i].linkPath) << "\n";
    for (int i = 0; i < job_.workFolderCount; ++i)
      out_ << "  folder " << text(job_.workFolders[i]) << "\n";
  }

  std::string models() const {
    const ModelRow* all = nullptr;
    std::string codes;
    for (const ModelRow* row = job_.modelTable; row->code; ++row) {
      if ((job_.targetModelMask & row->bit) != row->bit) continue;
      if (row->bit == 0x7001F) all = row;
      else codes += (codes.empty() ? "" : " or ") + std::string(row->code);
    }
    if (all) return std::string("any (") + all->code + ")";
    return codes.empty() ? "none (the update fits no model)" : codes;
  }

  static std::string copyRule(const FileEntry& e) {
    std::string rule;
    if (e.onlyIfPresent) rule = "only where that file is installed, ";
    if (e.skipVersionCheck)
      rule += "whatever its version";
    else
      rule += "unless the installed file has a higher version (without versions: a later time)";
    if (e.recordForUninstall) rule += "; recorded for uninstall";
    return rule;
  }

  void launches(int phase) {
    static const char* const kPhaseWords[] = {"", "previous", "beforecopy", "aftercopy", "later"};
    for (int i = 0; i < job_.launchEntryCount; ++i) {
      const LaunchEntry& e = job_.launchEntries[i];
      if (e.phase != phase) continue;
      const std::string command = e.launchKind == kLaunchWithParameters
                                      ? e.commandPath + " " + e.parameters
                                      : e.commandPath;
      // The command line exactly as Quillet passes it, unquoted.
      step(std::string("start the \"") + kPhaseWords[phase] +
           "\" program without waiting for it, command line: " + utf8(command));
    }
  }

  void registry(const RegistryEntry& e, RegistryOutcome outcome) {
    const std::string key = text("HKLM\\" + e.keyPath);
    const std::string name = e.valueName.empty() ? "the unnamed value" : "the value " + text(e.valueName);
    if (outcome == RegistryOutcome::kRefused) {
      step("the registry refuses the key " + key + " (a leading backslash, error 161): the update is put back", true);
      return;
    }
    const std::string missing = outcome == RegistryOutcome::kKeyMissing ? ": nothing to do, that key will not exist" : "";
    switch (e.operation) {
      case kRegCreateKey: step("create the registry key " + key, true); break;
      case kRegSetString: step("set " + name + " of " + key + " to the string " + text(e.valueData), true); break;
      case kRegSetDword:
        step("set " + name + " of " + key + " to the DWORD " +
             std::to_string(static_cast<std::uint32_t>(runtimeAtol(e.valueData))) + " (from " + text(e.valueData) + ")", true);
        break;
      case kRegDeleteSubKey:
        step("delete the subkey " + text(e.valueName) + " of " + key + " with everything below it" +
             (e.valueName.empty() ? ": an empty name deletes nothing" : ""), !e.valueName.empty());
        break;
      case kRegDeleteValue: step("delete " + name + " of " + key + missing, missing.empty()); break;
      default: break;
    }
  }

  void patchDelete(const PatchDeleteEntry& e) {
    switch (e.deleteMode) {
      case kPatchDeleteById: step("delete the patch record " + text(e.patchId), true); break;
      case kPatchDeleteUpTo:
        step("delete every patch record numbered up to " +
             std::to_string(runtimeAtol(e.patchId)) + " (from " + text(e.patchId) + ")", true);
        break;
      default: step("delete every patch record", true); break;
    }
  }

  const UpdateJob& job_;
  const CodePage& cp_;
  const PlanFacts& facts_;
  std::ostringstream out_;
  int steps_ = 0;
  int failing_ = 0;
};

}  // namespace

std::string planText(int result, const std::vector<std::string>& utf8Messages,
                     const UpdateJob& job, const CodePage& codePage, const PlanFacts& facts) {
  if (result != 1) {
    std::string text;
    for (const std::string& message : utf8Messages) text += "Quillet stops: " + message + "\n";
    return text + "The update does not run.\n";
  }
  return PlanWriter(job, codePage, facts).write();
}

}  // namespace quillet
