#include "tools/quillet-check/seal_media.h"

#include <algorithm>
#include <set>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_run.h"
#include "tools/quillet-check/media_host.h"
#include "update/media/media_files.h"
#include "update/media/media_list.h"
#include "update/media/chunked_sha256.h"
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

// The file's digest, hashed piece by piece as it is read.
MediaRead hashMediaFile(const MediaReader& read, const std::string& name, std::string* digest,
                        std::string* why) {
  PieceDigest hashed;
  const MediaRead outcome =
      read(name, [&hashed](const PieceReader& pieces) { return sha256OfPieces(pieces, &hashed); },
           why);
  *digest = hashed.hex;
  return outcome;
}

}  // namespace

bool sealMediaList(const std::string& scriptBytes, const MediaReader& read, ClockPort& clock,
                   std::string* list, std::string* error) {
  Cp932CodePage codePage;
  std::vector<std::string> listNames{kScriptFileName, kTitlePictureName};
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
  // The picture may be absent, unless the script copies it too.
  const bool pictureCopied =
      std::find(listNames.begin() + 2, listNames.end(), kTitlePictureName) != listNames.end();
  std::set<std::string> seen{kScriptFileName};
  std::string text = mediaListLine(sha256Hex(scriptBytes), kScriptFileName);
  for (const std::string& name : listNames) {
    if (!seen.insert(name).second) continue;
    std::string digest;
    std::string why;
    const MediaRead outcome = hashMediaFile(read, name, &digest, &why);
    // Only a title picture that is not there at all is left out of the list.
    if (outcome == MediaRead::kMissing && name == kTitlePictureName && !pictureCopied) continue;
    if (outcome != MediaRead::kRead) {
      *error = "cannot read the media file '" + name + "'";
      if (outcome == MediaRead::kFailed) *error += ": " + why;
      return false;
    }
    text += mediaListLine(digest, name);
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
  const MediaReader read = [&mediaDir](const std::string& name, const MediaUse& use,
                                       std::string* why) {
    return readMediaFile(mediaDir, name, use, why);
  };
  // The one file read whole, since it is parsed; the pieces stop at the limit.
  std::string script;
  std::string why;
  const MediaRead scriptRead = read(
      kScriptFileName,
      [&script](const PieceReader& pieces) {
        PieceDigest ignored;
        return sha256OfPieces(pieces, &ignored, [&script](const char* piece, std::size_t size) {
          if (size > kLargestScript - script.size()) return false;
          script.append(piece, size);
          return true;
        });
      },
      &why);
  if (scriptRead != MediaRead::kRead) {
    err << "quillet-check: cannot read '" << kScriptFileName << "' in '" << mediaDir << "'";
    if (scriptRead == MediaRead::kFailed && why.empty()) {
      err << ": longer than " << (kLargestScript >> 20) << " MiB";
    } else if (scriptRead == MediaRead::kFailed) {
      err << ": " << why;
    }
    err << "\n";
    return 1;
  }
  std::string list;
  std::string error;
  if (!sealMediaList(script, read, clock, &list, &error)) {
    err << "quillet-check: " << error << "\n";
    return 1;
  }
  if (!replaceMediaList(mediaDir, kMediaListName, list, &why)) {
    err << "quillet-check: cannot write '" << kMediaListName << "' in '" << mediaDir
        << "': " << why << "\n";
    return 2;
  }
  out << list;
  return 0;
}

}  // namespace quillet
