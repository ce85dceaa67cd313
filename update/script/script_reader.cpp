#include "update/script/script_reader.h"

#include "update/script/job_tables.h"
#include "update/script/script_keywords.h"
#include "update/script/script_lines.h"
#include "update/script/script_location.h"
#include "update/script/script_messages.h"
#include "update/script/script_values.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// The flags a source line gives the file entries of its target lines.
struct FileMode {
  int recordForUninstall = 0;
  int onlyIfPresent = 0;
  int skipVersionCheck = 0;
  int removeTarget = 0;
};

constexpr FileMode kModeFile{1, 0, 0, 0};
constexpr FileMode kModePatch{0, 0, 0, 0};
constexpr FileMode kModeReplace{0, 1, 0, 0};
constexpr FileMode kModeOverwrite{0, 1, 1, 0};
constexpr FileMode kModeRemove{0, 0, 0, 1};

// The current values one line leaves for later lines. The slots are shared
// between keywords on purpose: scripts in the field rely on it (for
// instance a "goExeParam:" after "Admin:1" launches with the parameter "1").
struct ReaderState {
  std::string label;    // "volume lavel:"
  std::string source;   // S: source, key, process, patch id, launch command
  std::string name;     // N: file name, registry value data
  std::string detail;   // D: target, link, folder, value name, patch name,
                        //    delete id, parameters, boolean text
  std::string service;  // W
  int phase = kPhaseLater;
  // Before any source line the mode is that of a plain copy (no uninstall
  // record, version comparison, no removal): the safest reading of a target
  // line that has no source.
  FileMode mode = kModePatch;
};

class Reader {
 public:
  Reader(UpdateJob& job, const std::string& programGroupName, UpdatePorts& ports)
      : job_(job), group_(programGroupName), ports_(ports) {}

  int run(const std::string& bytes) {
    ScriptLineReader lines(bytes);
    std::string line, value;
    while (lines.next(&line)) {
      int code = classifyScriptLine(line, &value);
      if (code == kKwNone) continue;
      if (const char* message = apply(code, value)) {
        ports_.ui.messageBox(message);
        return 0;
      }
    }
    return 1;
  }

 private:
  // Carries out one keyword line; the overflow message when a table is full.
  const char* apply(int code, const std::string& value) {
    switch (code) {
      case kKwVolumeLabel: state_.label = value; return nullptr;
      case kKwFile: return setSource(job_.sourceDir, value, kModeFile);
      case kKwPatch: return setSource(job_.sourceDir, value, kModePatch);
      case kKwReplace: return setSource(job_.sourceDir, value, kModeReplace);
      case kKwOverwrite: return setSource(job_.sourceDir, value, kModeOverwrite);
      case kKwRemove: return setSource(job_.sourceDir, value, kModeRemove);
      case kKwToolShortcut: return setSource(job_.toolDir, value, kModeFile);

      case kKwToWork: return addFile(job_.workDir, value);
      case kKwToWorkNT: return runsOn(4) ? addFile(job_.workDir, value) : nullptr;
      case kKwToWork2k: return runsOn(5) ? addFile(job_.workDir, value) : nullptr;
      case kKwToSystem: return addFile(job_.systemDir, value);
      case kKwToSystemNT: return runsOn(4) ? addFile(job_.systemDir, value) : nullptr;
      case kKwToSystem2k: return runsOn(5) ? addFile(job_.systemDir, value) : nullptr;
      case kKwToIIS: return addFile(job_.iisDir, value);
      case kKwToIISNT: return runsOn(4) ? addFile(job_.iisDir, value) : nullptr;
      case kKwToIIS2k: return runsOn(5) ? addFile(job_.iisDir, value) : nullptr;

      case kKwFolderInWork:
        state_.detail = job_.workDir + "\\" + value;
        return appendWorkFolder(job_, state_.detail) ? nullptr : kTooManyFilesMessage;

      case kKwDesktopName: return addShortcut(job_.commonDesktopDir, value, ".url", kLinkInternet);
      case kKwPxMenuName:
        return addShortcut(job_.commonProgramsDir + "\\" + group_, value, ".url", kLinkInternet);
      case kKwDesktopLnkName: return addShortcut(job_.commonDesktopDir, value, ".lnk", kLinkShell);
      case kKwPxMenuLnkName:
        return addShortcut(job_.commonProgramsDir + "\\" + group_, value, ".lnk", kLinkShell);

      case kKwAddKey:
        state_.source = value;
        return addRegistry(value, "", "", kRegCreateKey);
      case kKwSetKey: state_.source = value; return nullptr;
      case kKwDelSubKey:
        state_.detail = value;
        return addRegistry(state_.source, value, "", kRegDeleteSubKey);
      case kKwSetName: state_.detail = value; return nullptr;
      case kKwAddSZValue:
        state_.name = value;
        return addRegistry(state_.source, state_.detail, value, kRegSetString);
      case kKwAddDWORDValue:
        state_.name = value;
        return addRegistry(state_.source, state_.detail, value, kRegSetDword);
      case kKwDelName:
        state_.detail = value;
        return addRegistry(state_.source, value, "", kRegDeleteValue);

      case kKwStartSvc:
        state_.service = value;
        return appendServiceToStart(job_, value) ? nullptr : kTooManyStartServicesMessage;
      case kKwStopSvc:
        state_.service = value;
        return appendServiceToStop(job_, value) ? nullptr : kTooManyStopServicesMessage;
      case kKwTermProc:
        state_.source = value;
        return appendProcessToEnd(job_, value) ? nullptr : kTooManyProcessesMessage;

      case kKwPatchID: state_.source = value; return nullptr;
      case kKwPatchName: state_.detail = value; return nullptr;
      case kKwPatchSetInfo:
        return appendPatchInfoEntry(job_, state_.source, state_.detail, ports_.clock)
                   ? nullptr
                   : kTooManyPatchInfoMessage;
      case kKwPatchDelId: return addPatchDelete(value, kPatchDeleteById);
      case kKwPatchDelTo: return addPatchDelete(value, kPatchDeleteUpTo);
      case kKwPatchDelAll:
        return appendPatchDeleteEntry(job_, PatchDeleteEntry{"", kPatchDeleteAll})
                   ? nullptr
                   : kTooManyPatchDeletesMessage;

      case kKwSetParam: state_.detail = value; return nullptr;
      case kKwSetTime: state_.phase = parsePhaseWord(value); return nullptr;
      case kKwGoExeParam:
        state_.source = job_.sourceDir + "\\" + value;
        return addLaunch(kLaunchWithParameters);
      case kKwGoExe:
        state_.source = launchCommand(value);
        return addLaunch(kLaunchPlain);

      case kKwAdmin:
        state_.detail = value;
        job_.adminRequired = parseScriptBoolean(value);
        return nullptr;
      case kKwReboot:
        state_.detail = value;
        job_.rebootRequired = parseScriptBoolean(value);
        if (job_.rebootRequired) job_.adminRequired = 1;
        return nullptr;
      case kKwUpdatePPD:
        state_.detail = value;
        job_.updatePPD = parseScriptBoolean(value);
        if (job_.updatePPD) job_.adminRequired = 1;
        return nullptr;
      case kKwVerCheckLower: job_.versionLower = parseScriptVersion(value); return nullptr;
      case kKwVerCheckUpper: job_.versionUpper = parseScriptVersion(value); return nullptr;
      case kKwTargetModel:
        job_.targetModelMask = parseModelSet(value, job_.modelTable, ports_.codePage);
        return nullptr;
      default: return nullptr;
    }
  }

  // The major version is asked afresh for every line that depends on it.
  bool runsOn(int major) { return ports_.system.osMajorVersion() == major; }

  const char* setSource(const std::string& base, const std::string& value, FileMode mode) {
    state_.source = base + "\\" + value;
    state_.name = fileNameOf(value, ports_.codePage);
    state_.mode = mode;
    return nullptr;
  }

  const char* addFile(const std::string& base, const std::string& value) {
    state_.detail = value.empty() ? base + "\\" + state_.name
                                  : base + "\\" + value + "\\" + state_.name;
    FileEntry entry;
    entry.diskLabel = state_.label;
    entry.sourcePath = state_.source;
    entry.targetPath = state_.detail;
    entry.recordForUninstall = state_.mode.recordForUninstall;
    entry.onlyIfPresent = state_.mode.onlyIfPresent;
    entry.skipVersionCheck = state_.mode.skipVersionCheck;
    entry.removeTarget = state_.mode.removeTarget;
    return appendFileEntry(job_, std::move(entry)) ? nullptr : kTooManyFilesMessage;
  }

  const char* addShortcut(const std::string& folder, const std::string& value,
                          const char* extension, int kind) {
    const std::string& linkName = value.empty() ? state_.name : value;
    state_.detail = folder + "\\" + linkName + extension;
    return appendShortcutEntry(job_, ShortcutEntry{state_.source, state_.detail, kind})
               ? nullptr
               : kTooManyFilesMessage;
  }

  const char* addRegistry(const std::string& key, const std::string& valueName,
                          const std::string& data, int operation) {
    return appendRegistryEntry(job_, RegistryEntry{key, valueName, data, operation})
               ? nullptr
               : kTooManyRegistryMessage;
  }

  const char* addPatchDelete(const std::string& value, int mode) {
    state_.detail = value;
    return appendPatchDeleteEntry(job_, PatchDeleteEntry{value, mode})
               ? nullptr
               : kTooManyPatchDeletesMessage;
  }

  const char* addLaunch(int kind) {
    return appendLaunchEntry(job_, LaunchEntry{state_.source, state_.detail, kind, state_.phase})
               ? nullptr
               : kTooManyFilesMessage;
  }

  // A ".vbs" or ".js" file runs through the script host of the system's
  // Windows folder; everything else is started from the source folder.
  std::string launchCommand(const std::string& value) {
    if (isScriptHostFile(value, ports_.codePage)) {
      std::string windir;
      if (ports_.system.environmentVariable("WINDIR", &windir))
        return windir + kScriptHostCommand + value;
    }
    return job_.sourceDir + "\\" + value;
  }

  UpdateJob& job_;
  const std::string& group_;
  UpdatePorts& ports_;
  ReaderState state_;
};

}  // namespace

int readUpdateScriptBytes(UpdateJob& job, const std::string& bytes,
                          const std::string& programGroupName, UpdatePorts& ports) {
  Reader reader(job, programGroupName, ports);
  return reader.run(bytes);
}

int readUpdateScriptFile(UpdateJob& job, const std::string& scriptPath,
                         const std::string& programGroupName, UpdatePorts& ports) {
  std::string bytes;
  if (!ports.files.readFile(scriptPath, &bytes)) return 0;
  return readUpdateScriptBytes(job, bytes, programGroupName, ports);
}

int readUpdateScript(UpdateJob& job, const std::string& programGroupName, UpdatePorts& ports) {
  return readUpdateScriptFile(job, updateScriptPath(ports.system, ports.codePage),
                              programGroupName, ports);
}

}  // namespace quillet
