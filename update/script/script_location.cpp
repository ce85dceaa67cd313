#include "update/script/script_location.h"

#include "update/text/mbcs_text.h"

namespace quillet {

const char kProgramModuleName[] = "Quillet.exe";
const char kScriptFileName[] = "quillet.txt";

std::string programFolderOf(SystemPort& system, const CodePage& codePage) {
  std::string path;
  if (!system.moduleFileName(kProgramModuleName, &path)) return ".";
  return folderOf(path, ".", codePage);
}

std::string updateScriptPath(SystemPort& system, const CodePage& codePage) {
  return programFolderOf(system, codePage) + "\\" + kScriptFileName;
}

}  // namespace quillet
