#pragma once
// The job description of one update run: fixed-capacity tables filled by the
// script reader, read by the checks and the operations. Texts are bytes in the
// system's ANSI code page.
#include <string>

namespace quillet {

enum : int {
  kMaxFileEntries = 2048,
  kMaxShortcutEntries = 16,
  kMaxLaunchEntries = 8,
  kMaxWorkFolders = 8,
  kMaxRegistryEntries = 64,
  kMaxPatchInfoEntries = 16,
  kMaxPatchDeleteEntries = 64,
  kMaxServicesToStart = 8,
  kMaxServicesToStop = 8,
  kMaxProcessesToEnd = 8,
};

struct FileEntry {
  std::string diskLabel;
  std::string sourcePath;
  std::string targetPath;
  int recordForUninstall = 0;
  int onlyIfPresent = 0;
  int skipVersionCheck = 0;
  int removeTarget = 0;
};

enum : int { kLinkShell = 0, kLinkInternet = 1 };

struct ShortcutEntry {
  std::string targetPath;
  std::string linkPath;
  int linkKind = kLinkShell;
};

enum : int { kLaunchPlain = 1, kLaunchWithParameters = 2 };
// What follows the Windows folder in the command of a ".vbs" or ".js"
// launch: the system's script host, then one blank and the script.
inline constexpr char kScriptHostCommand[] = "\\system32\\cscript.exe ";
enum : int { kPhasePrevious = 1, kPhaseBeforeCopy = 2, kPhaseAfterCopy = 3, kPhaseLater = 4 };

struct LaunchEntry {
  std::string commandPath;
  std::string parameters;
  int launchKind = kLaunchPlain;
  int phase = kPhaseLater;
};

enum : int {
  kRegCreateKey = 1,
  kRegSetString = 2,
  kRegSetDword = 3,
  kRegDeleteSubKey = 5,
  kRegDeleteValue = 6,
};

struct RegistryEntry {
  std::string keyPath;
  std::string valueName;
  std::string valueData;
  int operation = 0;
};

struct PatchInfoEntry {
  std::string patchId;
  std::string patchName;
  std::string date;
  std::string time;
};

enum : int { kPatchDeleteById = 1, kPatchDeleteUpTo = 2, kPatchDeleteAll = 3 };

struct PatchDeleteEntry {
  std::string patchId;
  int deleteMode = 0;
};

struct ModelRow {
  const char* code;  // null ends the table
  int bit;
};

// The nine product models and their bits, ended by a row without code.
extern const ModelRow kModelTable[];

struct UpdateJob {
  FileEntry fileEntries[kMaxFileEntries];
  int fileEntryCount = 0;
  int fileCursor = 0;
  std::string sourceDir;
  ShortcutEntry shortcutEntries[kMaxShortcutEntries];
  int shortcutEntryCount = 0;
  LaunchEntry launchEntries[kMaxLaunchEntries];
  int launchEntryCount = 0;
  std::string workFolders[kMaxWorkFolders];
  int workFolderCount = 0;
  RegistryEntry registryEntries[kMaxRegistryEntries];
  int registryEntryCount = 0;
  PatchInfoEntry patchInfoEntries[kMaxPatchInfoEntries];
  int patchInfoEntryCount = 0;
  PatchDeleteEntry patchDeleteEntries[kMaxPatchDeleteEntries];
  int patchDeleteEntryCount = 0;
  std::string servicesToStart[kMaxServicesToStart];
  int serviceToStartCount = 0;
  std::string servicesToStop[kMaxServicesToStop];
  int serviceToStopCount = 0;
  std::string processesToEnd[kMaxProcessesToEnd];
  int processToEndCount = 0;
  int adminRequired = 1;
  int rebootRequired = 0;
  int updatePPD = 0;
  int versionLower = 0;
  int versionUpper = 100000;
  int targetModelMask = 0x7001F;
  const ModelRow* modelTable = kModelTable;
  std::string workDir;
  std::string toolDir;
  std::string systemDir;
  std::string iisDir;
  std::string commonProgramsDir;
  std::string commonDesktopDir;
};

}  // namespace quillet
