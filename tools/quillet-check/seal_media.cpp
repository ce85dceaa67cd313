#include "tools/quillet-check/seal_media.h"

#include <set>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/media_host.h"
#include "update/media/media_files.h"
#include "update/media/media_list.h"
#include "update/media/sha256.h"
#include "update/script/script_location.h"
#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

// The media names the script copies when read on a system of that major
// version ("." stands for the media folder).
bool copiedOn(int osMajor, const std::string& scriptBytes, ClockPort& clock,
              std::vector<std::string>* names, std::string* error) {
  CheckOptions options;
  std::string usage;
  parseCheckOptions({"--os-major", std::to_string(osMajor), "--source-dir", ".", kScriptFileName},
                    "", &options, &usage);
  ScriptCheck check = checkScriptBytes(options, scriptBytes, clock);
  if (check.result != 1) {
    *error = "the script cannot be read by the update tool";
    for (const std::string& message : check.messages) *error += ": " + message;
    return false;
  }
  *names = sealedMediaNames(*check.job, Cp932CodePage());
  return true;
}

}  // namespace

bool sealMediaList(const std::string& scriptBytes, const MediaReader& read, ClockPort& clock,
                   std::string* list, std::string* error) {
  Cp932CodePage codePage;
  std::vector<std::string> listNames{kScriptFileName};
  std::string picture;
  if (read(kTitlePictureName, &picture)) listNames.push_back(kTitlePictureName);
  // Major 4 and 5 pick the NT 4 and 2000 target lines; 6 stands for every later system.
  for (int osMajor : {4, 5, 6}) {
    std::vector<std::string> names;
    if (!copiedOn(osMajor, scriptBytes, clock, &names, error)) return false;
    for (const std::string& name : names) {
      std::string listName;
      if (!listNameOf(name, codePage, &listName)) {
        *error = "a file name of the script is not code page 932 text";
        return false;
      }
      listNames.push_back(listName);
    }
  }
  std::set<std::string> seen;
  std::string text;
  for (const std::string& name : listNames) {
    if (!seen.insert(name).second) continue;
    std::string bytes;
    if (!read(name, &bytes)) {
      *error = "cannot read the media file '" + name + "'";
      return false;
    }
    text += mediaListLine(sha256Hex(bytes), name);
  }
  *list = text;
  return true;
}

bool isSealRequest(const std::vector<std::string>& args) {
  return !args.empty() && args[0] == "--seal";
}

int runSeal(const std::vector<std::string>& args, ClockPort& clock, std::ostream& out,
            std::ostream& err) {
  if (args.size() != 2) {
    err << "quillet-check: usage: quillet-check --seal MEDIA_DIR\n";
    return 2;
  }
  const std::string& mediaDir = args[1];
  const MediaReader read = [&mediaDir](const std::string& name, std::string* bytes) {
    return readMediaFile(mediaDir, name, bytes);
  };
  std::string script;
  if (!read(kScriptFileName, &script)) {
    err << "quillet-check: cannot read '" << kScriptFileName << "' in '" << mediaDir << "'\n";
    return 1;
  }
  std::string list;
  std::string error;
  if (!sealMediaList(script, read, clock, &list, &error)) {
    err << "quillet-check: " << error << "\n";
    return 1;
  }
  if (!writeMediaFile(mediaDir, kMediaListName, list)) {
    err << "quillet-check: cannot write '" << kMediaListName << "' in '" << mediaDir << "'\n";
    return 2;
  }
  out << list;
  return 0;
}

}  // namespace quillet
