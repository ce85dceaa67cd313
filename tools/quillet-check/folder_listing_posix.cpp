#include <dirent.h>

#include "tools/quillet-check/folder_listing.h"

namespace quillet {

bool listFolder(const std::string& folder, std::vector<std::string>* names) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (const dirent* entry = readdir(dir)) names->push_back(entry->d_name);
  closedir(dir);
  return true;
}

bool hostNamesAreUtf8() { return true; }

}  // namespace quillet
