#pragma once
// Command line of quillet-check:
//   quillet-check [--os-major N] [--source-dir D] [--work-dir D] [--tool-dir D]
//                 [--system-dir D] [--iis-dir D] [--common-programs-dir D]
//                 [--common-desktop-dir D] [--program-group NAME] [--windir D]
//                 [--lint [--fail-on error|warning] | --plan] SCRIPT
//   quillet-check --seal MEDIA_DIR   (tools/quillet-check/seal_media.h)
#include <string>
#include <vector>

namespace quillet {

struct CheckOptions {
  int osMajor = 5;
  std::string sourceDir;
  std::string workDir;
  std::string toolDir;
  std::string systemDir;
  std::string iisDir;
  std::string commonProgramsDir;
  std::string commonDesktopDir;
  std::string programGroup;
  std::string windir;
  std::string script;
  bool help = false;
  bool lint = false;  // findings instead of the JSON report
  bool failOnErrorsOnly = false;  // --fail-on error: warnings leave the status 0
  bool plan = false;  // the plan in words instead of the JSON report
};

extern const char kCheckUsage[];

// Parses the arguments (without the program name) and fills in the defaults
// of every option not given; environmentWindir is the environment's WINDIR,
// empty when it is not set. False with *error set on a usage error.
bool parseCheckOptions(const std::vector<std::string>& args, const std::string& environmentWindir,
                       CheckOptions* options, std::string* error);

// The folder part of a host path: before the last slash or the last
// backslash that is not part of a two-byte cp932 character, whichever comes
// later; "." when there is none.
std::string scriptFolderOf(const std::string& scriptPath);

}  // namespace quillet
