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
  Reader(UpdateJob& job, const std::string& programGroupName, UpdatePorts& ports,
         ScriptReadObserver* observer)
      : job_(job), group_(programGroupName), ports_(ports), observer_(observer) {}

  int run(const std::string& bytes) {
    ScriptLineReader lines(bytes);
    std::string line, value;
    while (lines.next(&line)) {
      int code = classifyScriptLine(line, &value);
      if (observer_) observer_->lineRead(lines.textLine(), line, code, value);
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
      case kKwVolumeLabel: put(ScriptSlot::kLabel, value); return nullptr;
      case kKwFile: return setSource(job_.sourceDir, value, kModeFile);
      case kKwPatch: return setSource(job_.sourceDir, value, kModePatch);
      case kKwReplace: return setSource(job_.sourceDir, value, kModeReplace);
      case kKwOverwrite: return setSource(job_.sourceDir, value, kModeOverwrite);
      case kKwRemove: return setSource(job_.sourceDir, value, kModeRemove);
      case kKwToolShortcut: return setSource(job_.toolDir, value, kModeFile);

      case kKwToWork: return addFile(job_.workDir, value);
      case kKwToWorkNT: return runsOn(4) ? addFile(job_.workDir, value) : skipped();
      case kKwToWork2k: return runsOn(5) ? addFile(job_.workDir, value) : skipped();
      case kKwToSystem: return addFile(job_.systemDir, value);
      case kKwToSystemNT: return runsOn(4) ? addFile(job_.systemDir, value) : skipped();
      case kKwToSystem2k: return runsOn(5) ? addFile(job_.systemDir, value) : skipped();
      case kKwToIIS: return addFile(job_.iisDir, value);
      case kKwToIISNT: return runsOn(4) ? addFile(job_.iisDir, value) : skipped();
      case kKwToIIS2k: return runsOn(5) ? addFile(job_.iisDir, value) : skipped();

      case kKwFolderInWork:
        put(ScriptSlot::kDetail, job_.workDir + "\\" + value);
        return added(ScriptTable::kWorkFolders, appendWorkFolder(job_, state_.detail),
                     kTooManyFilesMessage);

      case kKwDesktopName: return addShortcut(job_.commonDesktopDir, value, ".url", kLinkInternet);
      case kKwPxMenuName:
        return addShortcut(job_.commonProgramsDir + "\\" + group_, value, ".url", kLinkInternet);
      case kKwDesktopLnkName: return addShortcut(job_.commonDesktopDir, value, ".lnk", kLinkShell);
      case kKwPxMenuLnkName:
        return addShortcut(job_.commonProgramsDir + "\\" + group_, value, ".lnk", kLinkShell);

      case kKwAddKey:
        put(ScriptSlot::kSource, value);
        return addRegistry(value, "", "", kRegCreateKey);
      case kKwSetKey: put(ScriptSlot::kSource, value); return nullptr;
      case kKwDelSubKey:
        put(ScriptSlot::kDetail, value);
        return addRegistry(take(ScriptSlot::kSource), value, "", kRegDeleteSubKey);
      case kKwSetName: put(ScriptSlot::kDetail, value); return nullptr;
      case kKwAddSZValue:
        put(ScriptSlot::kName, value);
        return addRegistry(take(ScriptSlot::kSource), take(ScriptSlot::kDetail), value,
                           kRegSetString);
      case kKwAddDWORDValue:
        put(ScriptSlot::kName, value);
        return addRegistry(take(ScriptSlot::kSource), take(ScriptSlot::kDetail), value,
                           kRegSetDword);
      case kKwDelName:
        put(ScriptSlot::kDetail, value);
        return addRegistry(take(ScriptSlot::kSource), value, "", kRegDeleteValue);

      case kKwStartSvc:
        put(ScriptSlot::kService, value);
        return added(ScriptTable::kServicesToStart, appendServiceToStart(job_, value),
                     kTooManyStartServicesMessage);
      case kKwStopSvc:
        put(ScriptSlot::kService, value);
        return added(ScriptTable::kServicesToStop, appendServiceToStop(job_, value),
                     kTooManyStopServicesMessage);
      case kKwTermProc:
        put(ScriptSlot::kSource, value);
        return added(ScriptTable::kProcessesToEnd, appendProcessToEnd(job_, value),
                     kTooManyProcessesMessage);

      case kKwPatchID: put(ScriptSlot::kSource, value); return nullptr;
      case kKwPatchName: put(ScriptSlot::kDetail, value); return nullptr;
      case kKwPatchSetInfo: {
        const std::string& id = take(ScriptSlot::kSource);
        const std::string& name = take(ScriptSlot::kDetail);
        return added(ScriptTable::kPatchInfo, appendPatchInfoEntry(job_, id, name, ports_.clock),
                     kTooManyPatchInfoMessage);
      }
      case kKwPatchDelId: return addPatchDelete(value, kPatchDeleteById);
      case kKwPatchDelTo: return addPatchDelete(value, kPatchDeleteUpTo);
      case kKwPatchDelAll:
        return added(ScriptTable::kPatchDeletes,
                     appendPatchDeleteEntry(job_, PatchDeleteEntry{"", kPatchDeleteAll}),
                     kTooManyPatchDeletesMessage);

      case kKwSetParam: put(ScriptSlot::kDetail, value); return nullptr;
      case kKwSetTime:
        if (observer_) observer_->slotWritten(ScriptSlot::kPhase);
        state_.phase = parsePhaseWord(value);
        return nullptr;
      case kKwGoExeParam:
        put(ScriptSlot::kSource, job_.sourceDir + "\\" + value);
        return addLaunch(kLaunchWithParameters);
      case kKwGoExe:
        put(ScriptSlot::kSource, launchCommand(value));
        return addLaunch(kLaunchPlain);

      case kKwAdmin:
        put(ScriptSlot::kDetail, value);
        job_.adminRequired = parseScriptBoolean(value);
        return nullptr;
      case kKwReboot:
        put(ScriptSlot::kDetail, value);
        job_.rebootRequired = parseScriptBoolean(value);
        if (job_.rebootRequired) job_.adminRequired = 1;
        return nullptr;
      case kKwUpdatePPD:
        put(ScriptSlot::kDetail, value);
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

  // The text slot behind a ScriptSlot.
  std::string& slot(ScriptSlot which) {
    switch (which) {
      case ScriptSlot::kLabel: return state_.label;
      case ScriptSlot::kSource: return state_.source;
      case ScriptSlot::kName: return state_.name;
      case ScriptSlot::kService: return state_.service;
      default: return state_.detail;
    }
  }

  // Reading and writing the current values, told to the observer.
  const std::string& take(ScriptSlot which) {
    if (observer_) observer_->slotRead(which);
    return slot(which);
  }
  void put(ScriptSlot which, std::string text) {
    if (observer_) observer_->slotWritten(which);
    slot(which) = std::move(text);
  }
  const FileMode& takeMode() {
    if (observer_) observer_->slotRead(ScriptSlot::kMode);
    return state_.mode;
  }

  // The outcome of an append: nothing, or the table's message when it was full.
  const char* added(ScriptTable table, int fitted, const char* message) {
    if (observer_) observer_->entryAppended(table, fitted != 0);
    return fitted ? nullptr : message;
  }

  // A line for another system version does nothing at all.
  const char* skipped() {
    if (observer_) observer_->lineSkipped();
    return nullptr;
  }

  // The major version is asked afresh for every line that depends on it.
  bool runsOn(int major) { return ports_.system.osMajorVersion() == major; }

  const char* setSource(const std::string& base, const std::string& value, FileMode mode) {
    put(ScriptSlot::kSource, base + "\\" + value);
    put(ScriptSlot::kName, fileNameOf(value, ports_.codePage));
    if (observer_) observer_->slotWritten(ScriptSlot::kMode);
    state_.mode = mode;
    return nullptr;
  }

  const char* addFile(const std::string& base, const std::string& value) {
    const std::string& name = take(ScriptSlot::kName);
    put(ScriptSlot::kDetail, value.empty() ? base + "\\" + name
                                           : base + "\\" + value + "\\" + name);
    FileEntry entry;
    entry.diskLabel = take(ScriptSlot::kLabel);
    entry.sourcePath = take(ScriptSlot::kSource);
    entry.targetPath = state_.detail;
    const FileMode& mode = takeMode();
    entry.recordForUninstall = mode.recordForUninstall;
    entry.onlyIfPresent = mode.onlyIfPresent;
    entry.skipVersionCheck = mode.skipVersionCheck;
    entry.removeTarget = mode.removeTarget;
    return added(ScriptTable::kFiles, appendFileEntry(job_, std::move(entry)),
                 kTooManyFilesMessage);
  }

  const char* addShortcut(const std::string& folder, const std::string& value,
                          const char* extension, int kind) {
    const std::string& linkName = value.empty() ? take(ScriptSlot::kName) : value;
    put(ScriptSlot::kDetail, folder + "\\" + linkName + extension);
    return added(ScriptTable::kShortcuts,
                 appendShortcutEntry(job_, ShortcutEntry{take(ScriptSlot::kSource),
                                                         state_.detail, kind}),
                 kTooManyFilesMessage);
  }

  const char* addRegistry(const std::string& key, const std::string& valueName,
                          const std::string& data, int operation) {
    return added(ScriptTable::kRegistry,
                 appendRegistryEntry(job_, RegistryEntry{key, valueName, data, operation}),
                 kTooManyRegistryMessage);
  }

  const char* addPatchDelete(const std::string& value, int mode) {
    put(ScriptSlot::kDetail, value);
    return added(ScriptTable::kPatchDeletes,
                 appendPatchDeleteEntry(job_, PatchDeleteEntry{value, mode}),
                 kTooManyPatchDeletesMessage);
  }

  const char* addLaunch(int kind) {
    const std::string& parameters = take(ScriptSlot::kDetail);
    if (observer_) observer_->slotRead(ScriptSlot::kPhase);
    return added(ScriptTable::kLaunches,
                 appendLaunchEntry(job_, LaunchEntry{state_.source, parameters, kind,
                                                     state_.phase}),
                 kTooManyFilesMessage);
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
  ScriptReadObserver* observer_;
  ReaderState state_;
};

}  // namespace

int readUpdateScriptBytes(UpdateJob& job, const std::string& bytes,
                          const std::string& programGroupName, UpdatePorts& ports,
                          ScriptReadObserver* observer) {
  Reader reader(job, programGroupName, ports, observer);
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
