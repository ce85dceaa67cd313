#pragma once
// The keywords of the update script and the classification of one line.
#include <string>

namespace quillet {

// Codes as classifyScriptLine returns them; 0 is a comment or no keyword.
enum ScriptKeyword : int {
  kKwNone = 0,
  kKwVolumeLabel = 1,  // "volume lavel:" (spelled so)
  kKwFile, kKwPatch, kKwReplace, kKwOverwrite, kKwRemove,
  kKwToWork, kKwToWorkNT, kKwToWork2k,
  kKwToSystem, kKwToSystemNT, kKwToSystem2k,
  kKwToIIS, kKwToIISNT, kKwToIIS2k,
  kKwFolderInWork,
  kKwStartSvc, kKwStopSvc, kKwTermProc,
  kKwToolShortcut,
  kKwDesktopName, kKwPxMenuName, kKwDesktopLnkName, kKwPxMenuLnkName,
  kKwAddKey, kKwSetKey, kKwDelSubKey, kKwSetName, kKwAddSZValue, kKwAddDWORDValue, kKwDelName,
  kKwSetParam, kKwSetTime, kKwGoExeParam, kKwGoExe,
  kKwPatchID, kKwPatchName, kKwPatchSetInfo, kKwPatchDelId, kKwPatchDelTo, kKwPatchDelAll,
  kKwAdmin, kKwReboot, kKwUpdatePPD, kKwVerCheckLower, kKwVerCheckUpper, kKwTargetModel,
  kKwLast = kKwTargetModel,  // 47
};

// The keyword text of a code 1..47 ("file:", ...); null for other codes.
const char* scriptKeywordText(int code);

// Removes blanks, tabs and line-end bytes from the end of the line.
std::string trimTrailingSpace(const std::string& line);

// Trims the line, then: "#" at the start gives 0 and the text after it; a
// keyword at the very start (exact spelling and case) gives its code and the
// rest of the line; anything else gives 0 and the whole trimmed line.
int classifyScriptLine(const std::string& line, std::string* value);

}  // namespace quillet
