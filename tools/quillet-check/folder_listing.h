#pragma once
// The names in a folder of the machine that runs the checker, for finding a
// media file named in another letter case. One implementation per platform.
#include <string>
#include <vector>

namespace quillet {

// False when the folder cannot be listed, or when the platform's own lookup
// already ignores letter case (Windows): the exact lookup has then decided.
bool listFolder(const std::string& folder, std::vector<std::string>* names);

// True where file names are UTF-8 bytes (not Windows: there a name given as
// bytes is read in the ANSI code page).
bool hostNamesAreUtf8();

}  // namespace quillet
