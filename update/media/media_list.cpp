#include "update/media/media_list.h"

#include "update/media/media_files.h"

namespace quillet {

const char kMediaListName[] = "quillet.sha256";

namespace {

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool parseLine(std::string line, MediaListEntry* entry) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  // sha256sum escapes a name holding a backslash or a line feed by a leading
  // backslash; no name of a media needs that.
  if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) return false;
  std::string digest = line.substr(0, 64);
  for (char& c : digest) {
    if (!isHexDigit(c)) return false;
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  entry->digest = digest;
  entry->name = line.substr(66);
  // A name that leaves the media folder is refused before anything is
  // opened; so is a backslash, which sha256sum would have escaped.
  return entry->name.find_first_of("\r\\") == std::string::npos &&
         staysInsideMedia(entry->name, nullptr);
}

}  // namespace

bool parseMediaList(const std::string& text, std::vector<MediaListEntry>* entries, int* badLine) {
  entries->clear();
  std::size_t start = 0;
  int number = 0;
  while (start < text.size()) {
    ++number;
    const std::size_t end = text.find('\n', start);
    MediaListEntry entry;
    if (end == std::string::npos || !parseLine(text.substr(start, end - start), &entry)) {
      *badLine = number;
      return false;
    }
    entries->push_back(entry);
    start = end + 1;
  }
  return true;
}

std::string mediaListLine(const std::string& digest, const std::string& name) {
  return digest + "  " + name + "\n";
}

}  // namespace quillet
