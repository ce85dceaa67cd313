#include "tools/quillet-check/media_file_lookup.h"

#include <cstdio>
#include <vector>

#include "tools/quillet-check/folder_listing.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// The path's components, split at real backslashes (never a trail byte).
std::vector<std::string> componentsOf(const std::string& path, const CodePage& codePage) {
  std::vector<std::string> parts;
  std::string rest = path;
  for (;;) {
    std::size_t cut = firstCharIndex(rest, '\\', codePage);
    std::string part = rest.substr(0, cut);
    if (!part.empty() && part != ".") parts.push_back(part);
    if (cut == kNotFound) return parts;
    rest = rest.substr(cut + 1);
  }
}

// A file that opens and reads without error (a folder fails the read).
bool isReadableFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char byte;
  (void)std::fread(&byte, 1, 1, file);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

// The entry of folder whose name equals name in any ASCII letter case.
bool findIgnoringCase(const std::string& folder, const std::string& name, std::string* found) {
  std::vector<std::string> names;
  if (!listFolder(folder, &names)) return false;
  for (const std::string& entry : names) {
    if (equalsIgnoringAsciiCase(entry, name)) {
      *found = folder + "/" + entry;
      return true;
    }
  }
  return false;
}

bool existsAsNamed(const std::string& folder, const std::vector<std::string>& parts) {
  std::string exact = folder;
  for (const std::string& part : parts) exact += "/" + part;
  if (isReadableFile(exact)) return true;
  std::string path = folder;
  for (const std::string& part : parts) {
    if (!findIgnoringCase(path, part, &path)) return false;
  }
  return isReadableFile(path);
}

}  // namespace

bool mediaFileExists(const std::string& folder, const std::string& relativePath,
                     const CodePage& codePage) {
  const std::vector<std::string> parts = componentsOf(relativePath, codePage);
  if (parts.empty()) return false;
  bool ascii = true;
  for (char c : relativePath) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  // Windows reads the name in code page 932. The bytes as they stand are
  // another name here when they happen to be UTF-8 (a script saved as
  // UTF-8 names the UTF-8 file, which Windows would not find).
  std::string asUtf8;
  const bool otherName = hostNamesAreUtf8() && codePage.fromUtf8(relativePath, &asUtf8);
  if ((ascii || !otherName) && existsAsNamed(folder, parts)) return true;
  if (ascii) return false;  // its UTF-8 form is the same
  std::vector<std::string> utf8Parts;
  for (const std::string& part : parts) {
    std::string utf8;
    if (!codePage.toUtf8(part, &utf8)) return false;
    utf8Parts.push_back(utf8);
  }
  return existsAsNamed(folder, utf8Parts);
}

}  // namespace quillet
