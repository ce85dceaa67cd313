#include "tools/quillet-check/script_plan.h"

#include <cstdint>
#include <sstream>

#include "tools/quillet-check/lint_values.h"
#include "update/ops/registry_edits.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

class PlanWriter {
 public:
  PlanWriter(const UpdateJob& job, const CodePage& codePage) : job_(job), cp_(codePage) {}

  std::string write() {
    checks();
    out_ << "Then, in this order:\n";
    for (int i = 0; i < job_.processToEndCount; ++i)
      step("end every process whose name, with or without extension, matches " +
           text(job_.processesToEnd[i]) + " (any letter case)");
    launches(kPhasePrevious);
    for (int i = 0; i < job_.serviceToStopCount; ++i)
      step("stop the service " + text(job_.servicesToStop[i]) + ", its running dependents first");
    if (job_.serviceToStopCount > 0) step("wait 2 seconds");
    for (int i = 0; i < job_.workFolderCount; ++i)
      step("create the folder " + text(job_.workFolders[i]));
    launches(kPhaseBeforeCopy);
    for (int i = 0; i < job_.fileEntryCount; ++i) {
      const FileEntry& e = job_.fileEntries[i];
      if (e.removeTarget)
        step("remove " + text(e.targetPath) + ": each matching file, and each matching folder with everything in it");
    }
    for (int i = 0; i < job_.fileEntryCount; ++i) {
      const FileEntry& e = job_.fileEntries[i];
      if (!e.removeTarget) step("copy " + text(e.sourcePath) + " to " + text(e.targetPath) + ", " + copyRule(e));
    }
    if (copies() > 0)
      out_ << "  (a copy that fails ends the copying and the update fails: then only the services\n"
              "   below are started; everything else below needs every copy done)\n";
    launches(kPhaseAfterCopy);
    for (int i = 0; i < job_.serviceToStartCount; ++i)
      step("start the service " + text(job_.servicesToStart[i]) + " (also after a failed copy)");
    for (int i = 0; i < job_.patchDeleteEntryCount; ++i) patchDelete(job_.patchDeleteEntries[i]);
    for (int i = 0; i < job_.registryEntryCount; ++i) registry(job_.registryEntries[i]);
    for (int i = 0; i < job_.patchInfoEntryCount; ++i) {
      const PatchInfoEntry& e = job_.patchInfoEntries[i];
      step("record the patch HKLM\\SOFTWARE\\norvane\\Plexor\\Update\\" + utf8(e.patchId) +
           " with the Title " + text(e.patchName) +
           " and the Date and Time at which Quillet read the script");
    }
    for (int i = 0; i < job_.shortcutEntryCount; ++i) {
      const ShortcutEntry& e = job_.shortcutEntries[i];
      step(std::string(e.linkKind == kLinkInternet ? "write the internet shortcut "
                                                   : "write the shell link ") +
           text(e.linkPath) + " to " + text(e.targetPath));
    }
    if (job_.updatePPD)
      step("notify the print service \"Lindquay\" (control code 128), then wait 10 seconds");
    launches(kPhaseLater);
    if (steps_ == 0) out_ << "  nothing\n";
    out_ << (job_.rebootRequired ? "At the end Quillet offers to restart the computer.\n"
                                 : "At the end Quillet offers no restart.\n");
    return out_.str();
  }

 private:
  std::string utf8(const std::string& ansi) const { return toUtf8Lenient(ansi, cp_); }
  std::string text(const std::string& ansi) const { return "\"" + utf8(ansi) + "\""; }

  void step(const std::string& words) {
    ++steps_;
    out_ << "  " << steps_ << ". " << words << "\n";
  }

  int copies() const {
    int n = 0;
    for (int i = 0; i < job_.fileEntryCount; ++i) n += job_.fileEntries[i].removeTarget ? 0 : 1;
    return n;
  }

  void checks() {
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
    if (!any) return;
    out_ << "Before anything changes it records for uninstall:\n";
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

  void registry(const RegistryEntry& e) {
    const std::string key = text("HKLM\\" + e.keyPath);
    const std::string name = e.valueName.empty() ? "the unnamed value" : "the value " + text(e.valueName);
    switch (e.operation) {
      case kRegCreateKey: step("create the registry key " + key); break;
      case kRegSetString: step("set " + name + " of " + key + " to the string " + text(e.valueData)); break;
      case kRegSetDword:
        step("set " + name + " of " + key + " to the DWORD " +
             std::to_string(static_cast<std::uint32_t>(runtimeAtol(e.valueData))) + " (from " + text(e.valueData) + ")");
        break;
      case kRegDeleteSubKey:
        step("delete the subkey " + text(e.valueName) + " of " + key + " with everything below it");
        break;
      case kRegDeleteValue: step("delete " + name + " of " + key); break;
      default: break;
    }
  }

  void patchDelete(const PatchDeleteEntry& e) {
    switch (e.deleteMode) {
      case kPatchDeleteById: step("delete the patch record " + text(e.patchId)); break;
      case kPatchDeleteUpTo:
        step("delete every patch record numbered up to " +
             std::to_string(runtimeAtol(e.patchId)) + " (from " + text(e.patchId) + ")");
        break;
      default: step("delete every patch record"); break;
    }
  }

  const UpdateJob& job_;
  const CodePage& cp_;
  std::ostringstream out_;
  int steps_ = 0;
};

}  // namespace

std::string planText(int result, const std::vector<std::string>& utf8Messages,
                     const UpdateJob& job, const CodePage& codePage) {
  if (result != 1) {
    std::string text;
    for (const std::string& message : utf8Messages) text += "Quillet stops: " + message + "\n";
    return text + "The update does not run.\n";
  }
  return PlanWriter(job, codePage).write();
}

}  // namespace quillet
