#include "update/media/media_files.h"

#include <set>

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

bool mediaNameOf(const std::string& folder, const std::string& path, std::string* mediaName) {
  // The reader joins the folder, one backslash and the script's value, so the
  // folder's bytes start the path exactly.
  const std::string prefix = folder + "\\";
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return false;
  *mediaName = path.substr(prefix.size());
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

std::vector<std::string> copiedMediaNames(const UpdateJob& job) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& entry = job.fileEntries[i];
    std::string name;
    if (entry.removeTarget == 1 || !mediaNameOf(job.sourceDir, entry.sourcePath, &name)) continue;
    if (seen.insert(name).second) names.push_back(name);
  }
  return names;
}

}  // namespace quillet
