#pragma once
// The media's list of checksums, "quillet.sha256", in the text format
// sha256sum writes and checks: one line per file, "<64 hex digits>  <name>",
// the name relative to the media folder with "/" between folders and in
// UTF-8, each line ended by a line feed.
#include <string>
#include <vector>

namespace quillet {

extern const char kMediaListName[];  // "quillet.sha256"

struct MediaListEntry {
  std::string digest;  // 64 lowercase hexadecimal digits
  std::string name;    // UTF-8, "/" between folders
};

// Reads the list. Also accepted: upper-case digits, the binary-mode marker
// ("<hex> *<name>") and CR LF line ends. False, with the 1-based number of
// the first bad line, for any other line: an empty line, a line without its
// line feed (a cut list), a name that is empty, escaped, holds a backslash,
// or leaves the media folder ("..", a drive, a root or UNC prefix).
bool parseMediaList(const std::string& text, std::vector<MediaListEntry>* entries, int* badLine);

// One line of the list, line feed included.
std::string mediaListLine(const std::string& digest, const std::string& name);

}  // namespace quillet
