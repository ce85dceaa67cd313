#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "host/riphost/spool_target.h"
#include "raster/spooler/spool_files_posix.h"

namespace riphost {
namespace {

// The file spooler gives each printer its own folder under the spool root.
// riphost makes a private root whose folder for the ticket's printer is a
// link to the output folder, so that the documents land there; the root goes
// when riphost ends.
std::string linkPath;
std::string rootPath;

void removeSpoolRoot() {
  if (!linkPath.empty()) unlink(linkPath.c_str());
  if (!rootPath.empty()) rmdir(rootPath.c_str());
}

}  // namespace

bool prepareSpoolTarget(const std::string& outDir, const std::string& printerName, std::string& error) {
  if (mkdir(outDir.c_str(), 0777) != 0 && errno != EEXIST) {
    error = "cannot create " + outDir;
    return false;
  }
  if (printerName.find("%d") != std::string::npos || printerName.find("%%") != std::string::npos) {
    error = "a template printer_name cannot be set up (the module formats the name)";
    return false;
  }
  char full[PATH_MAX];
  if (!realpath(outDir.c_str(), full)) {
    error = "bad output folder " + outDir;
    return false;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/riphost-spool-XXXXXX";
  if (!mkdtemp(&pattern[0])) {
    error = "cannot create a spool folder in " + pattern;
    return false;
  }
  rootPath = pattern;
  std::atexit(&removeSpoolRoot);
  // An empty name opens no printer: the module refuses the job.
  if (!printerName.empty()) {
    // Where the module's file spooler looks for this printer's folder.
    linkPath = vexmoor::printerSpoolFolder(rootPath, printerName);
    if (symlink(full, linkPath.c_str()) != 0) {
      linkPath.clear();
      error = "cannot link the printer's spool folder to " + outDir;
      return false;
    }
  }
  setenv("PLEXOR_SPOOL_DIR", rootPath.c_str(), 1);
  return true;
}

}  // namespace riphost
