#include "tools/quillet-check/folder_listing.h"

namespace quillet {

// Windows finds a file in any letter case by its exact path already.
bool listFolder(const std::string&, std::vector<std::string>*) { return false; }

bool hostNamesAreUtf8() { return false; }

}  // namespace quillet
