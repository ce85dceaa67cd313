#include "tools/quillet-check/check_options.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "update/text/cp932_code_page.h"
#include "update/text/mbcs_text.h"

namespace quillet {

const char kCheckUsage[] =
    "usage: quillet-check [--os-major N] [--source-dir D] [--work-dir D] [--tool-dir D]\n"
    "                     [--system-dir D] [--iis-dir D] [--common-programs-dir D]\n"
    "                     [--common-desktop-dir D] [--program-group NAME] [--windir D]\n"
    "                     [--lint [--fail-on error|warning] | --plan] SCRIPT\n"
    "  (no mode)  the job the script gives, as JSON\n"
    "  --lint     what Quillet will do wrong: FILE:LINE: error|warning: TEXT [check];\n"
    "             exit 1 with any finding, or with --fail-on error only with an error\n"
    "  --plan     what the update will do, in words, in the order Quillet does it\n"
    "       quillet-check --seal MEDIA_DIR\n"
    "  --seal     write MEDIA_DIR/quillet.sha256 over the script and the files it copies\n";

namespace {

bool parseInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  long long n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > INT_MAX) return false;
  }
  *value = static_cast<int>(text[0] == '-' ? -n : n);
  return true;
}

struct Seen {
  bool source = false, work = false, tool = false, system = false, iis = false,
       programs = false, desktop = false, group = false, windir = false, failOn = false;
};

}  // namespace

std::string scriptFolderOf(const std::string& scriptPath) {
  Cp932CodePage cp;
  std::size_t back = lastCharIndex(scriptPath, '\\', cp);
  // A slash is never the second byte of a cp932 character, and a host path
  // in UTF-8 may hold bytes that look like lead bytes: find it byte-wise.
  std::size_t slash = scriptPath.rfind('/');
  std::size_t cut = back == kNotFound ? slash : (slash == kNotFound ? back : std::max(back, slash));
  if (cut == kNotFound) return ".";
  if (cut == 0) return scriptPath.substr(0, 1);  // a file in the root folder
  return scriptPath.substr(0, cut);
}

bool parseCheckOptions(const std::vector<std::string>& args, const std::string& environmentWindir,
                       CheckOptions* options, std::string* error) {
  CheckOptions o;
  Seen seen;
  bool optionsEnded = false;
  bool haveScript = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.size() > 1 && arg[0] == '-' && !optionsEnded) {
        *error = "unknown option '" + arg + "'";
        return false;
      }
      if (haveScript) {
        *error = "more than one SCRIPT given ('" + o.script + "', '" + arg + "')";
        return false;
      }
      o.script = arg;
      haveScript = true;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help") {
      o.help = true;
      continue;
    }
    if (arg == "--lint" || arg == "--plan") {
      (arg == "--lint" ? o.lint : o.plan) = true;
      if (o.lint && o.plan) {
        *error = "--lint and --plan exclude each other";
        return false;
      }
      continue;
    }
    std::string name = arg, value;
    bool inlineValue = false;
    std::size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    std::string* target = nullptr;
    bool* flag = nullptr;
    std::string failOn;
    bool failOnSeen = false;
    if (name == "--fail-on") { target = &failOn; flag = &failOnSeen; }
    else if (name == "--source-dir") { target = &o.sourceDir; flag = &seen.source; }
    else if (name == "--work-dir") { target = &o.workDir; flag = &seen.work; }
    else if (name == "--tool-dir") { target = &o.toolDir; flag = &seen.tool; }
    else if (name == "--system-dir") { target = &o.systemDir; flag = &seen.system; }
    else if (name == "--iis-dir") { target = &o.iisDir; flag = &seen.iis; }
    else if (name == "--common-programs-dir") { target = &o.commonProgramsDir; flag = &seen.programs; }
    else if (name == "--common-desktop-dir") { target = &o.commonDesktopDir; flag = &seen.desktop; }
    else if (name == "--program-group") { target = &o.programGroup; flag = &seen.group; }
    else if (name == "--windir") { target = &o.windir; flag = &seen.windir; }
    else if (name != "--os-major") {
      *error = "unknown option '" + name + "'";
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) {
        *error = "option '" + name + "' needs a value";
        return false;
      }
      value = args[++i];
    }
    if (target == &failOn) {
      if (value != "error" && value != "warning") {
        *error = "--fail-on takes error or warning, not '" + value + "'";
        return false;
      }
      o.failOnErrorsOnly = value == "error";
      seen.failOn = true;
    } else if (target) {
      *target = value;
      *flag = true;
    } else if (!parseInt(value, &o.osMajor)) {
      *error = "--os-major needs a whole number, not '" + value + "'";
      return false;
    }
  }
  if (o.help) {
    *options = o;
    return true;
  }
  if (!haveScript) {
    *error = "no SCRIPT given";
    return false;
  }
  if (seen.failOn && !o.lint) {
    *error = "--fail-on goes with --lint";
    return false;
  }

  // Defaults: a typical installation on the system the major version names.
  if (!seen.windir) o.windir = environmentWindir.empty() ? "C:\\WINDOWS" : environmentWindir;
  if (!seen.source) o.sourceDir = scriptFolderOf(o.script);
  if (!seen.work) o.workDir = "C:\\Plexor";
  if (!seen.tool) o.toolDir = o.workDir + "\\tool";
  if (!seen.system) o.systemDir = o.windir + "\\system32";
  if (!seen.iis) o.iisDir = "C:\\Inetpub\\wwwroot";
  const std::string allUsers = o.osMajor == 4 ? o.windir + "\\Profiles\\All Users"
                                              : "C:\\Documents and Settings\\All Users";
  if (!seen.programs) o.commonProgramsDir = allUsers + "\\Start Menu\\Programs";
  if (!seen.desktop) o.commonDesktopDir = allUsers + "\\Desktop";
  if (!seen.group) o.programGroup = "Plexor";
  *options = o;
  return true;
}

}  // namespace quillet
