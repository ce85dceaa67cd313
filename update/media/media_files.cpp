#include "update/media/media_files.h"

#include <set>

#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

const char kTitlePictureName[] = "title.bmp";

namespace {

bool isAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// "\" that stands as a character (never a trail byte) replaced by "/".
std::string slashesFor(const std::string& mediaName, const CodePage& codePage) {
  std::string out = mediaName;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (codePage.isLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '\\') {
      out[i] = '/';
    }
  }
  return out;
}

}  // namespace

bool isDotsAndBlanks(const std::string& part) {
  return part.find_first_not_of(". ") == std::string::npos;
}

bool staysInsideMedia(const std::string& name, const CodePage* codePage) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
  // ':' and '/' are never trail bytes; only "\\" needs the character walk.
  if (name.find(':') != std::string::npos) return false;
  std::string part;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    const bool end = i == name.size();
    if (!end && codePage != nullptr && codePage->isLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      part += name.substr(i, 2);
      ++i;
      continue;
    }
    if (end || name[i] == '\\' || name[i] == '/') {
      if (part != "." && isDotsAndBlanks(part)) return false;  // "..", "...", "", ". "
      part.clear();
      continue;
    }
    part += name[i];
  }
  return true;
}

bool mediaNameOf(const std::string& folder, const std::string& path, const CodePage& codePage,
                 std::string* mediaName) {
  // The reader joins the folder, one backslash and the script's value, so the
  // folder's bytes start the path exactly.
  const std::string prefix = folder + "\\";
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string rest = path.substr(prefix.size());
  if (!staysInsideMedia(rest, &codePage)) return false;
  *mediaName = rest;
  return true;
}

bool listNameOf(const std::string& mediaName, const CodePage& codePage, std::string* listName) {
  const std::string slashed = slashesFor(mediaName, codePage);
  if (isAscii(slashed)) {
    *listName = slashed;
    return true;
  }
  return codePage.toUtf8(slashed, listName);
}

bool mediaNameFromList(const std::string& listName, const CodePage& codePage,
                       std::string* mediaName) {
  // "/" is one byte in UTF-8 and never part of a two-byte character of the
  // code page, so it can be turned before the conversion.
  std::string backslashed = listName;
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  if (isAscii(backslashed)) {
    *mediaName = backslashed;  // the same bytes in every ANSI code page
    return true;
  }
  return codePage.fromUtf8(backslashed, mediaName);
}

std::string shownMediaName(const std::string& mediaName, const CodePage& codePage) {
  return toUtf8Lenient(mediaName, codePage);
}

bool launchedMediaName(const LaunchEntry& entry, const std::string& sourceDir,
                       const CodePage& codePage, std::string* mediaName) {
  if (mediaNameOf(sourceDir, entry.commandPath, codePage, mediaName)) return true;
  const std::size_t host = findOnCharBoundary(entry.commandPath, kScriptHostCommand, codePage);
  if (host == kNotFound) return false;
  const std::string script = entry.commandPath.substr(host + sizeof kScriptHostCommand - 1);
  if (!staysInsideMedia(script, &codePage)) return false;
  *mediaName = script;
  return true;
}

std::vector<std::string> sealedMediaNames(const UpdateJob& job, const CodePage& codePage) {
  std::vector<std::string> names = copiedMediaNames(job, codePage);
  std::set<std::string> seen(names.begin(), names.end());
  for (int i = 0; i < job.launchEntryCount; ++i) {
    std::string name;
    if (launchedMediaName(job.launchEntries[i], job.sourceDir, codePage, &name) &&
        seen.insert(name).second) {
      names.push_back(name);
    }
  }
  return names;
}

std::vector<std::string> copiedMediaNames(const UpdateJob& job, const CodePage& codePage) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& entry = job.fileEntries[i];
    std::string name;
    if (entry.removeTarget == 1 || !mediaNameOf(job.sourceDir, entry.sourcePath, codePage, &name)) {
      continue;
    }
    if (seen.insert(name).second) names.push_back(name);
  }
  return names;
}

}  // namespace quillet
