#pragma once
// Where the update tool finds its own folder and its script.
#include <string>

#include "update/ports/code_page.h"
#include "update/ports/system_port.h"

namespace quillet {

extern const char kProgramModuleName[];  // "Quillet.exe"
extern const char kScriptFileName[];     // "quillet.txt"

// The full path of the loaded module "Quillet.exe" cut before its last
// backslash; "." when no such module is loaded (the program file carries
// another name) or its path has no backslash.
std::string programFolderOf(SystemPort& system, const CodePage& codePage);

// programFolderOf + "\" + "quillet.txt".
std::string updateScriptPath(SystemPort& system, const CodePage& codePage);

}  // namespace quillet
