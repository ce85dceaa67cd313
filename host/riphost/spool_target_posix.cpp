#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "host/riphost/spool_target.h"

namespace riphost {

bool prepareSpoolTarget(const std::string& outDir, const std::string&, std::string& error) {
  if (mkdir(outDir.c_str(), 0777) != 0 && errno != EEXIST) {
    error = "cannot create " + outDir;
    return false;
  }
  setenv("PLEXOR_SPOOL_DIR", outDir.c_str(), 1);
  return true;
}

}  // namespace riphost
