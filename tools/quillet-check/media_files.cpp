#include "tools/quillet-check/media_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

namespace fs = std::filesystem;

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
  std::fgetc(file);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

// The entry of folder whose name equals name in any ASCII letter case.
bool findIgnoringCase(const std::string& folder, const std::string& name, std::string* found) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string entry = it->path().filename().string();
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
  // Names that do not convert to the host's path form throw: not found then.
  try {
    std::string path = folder;
    for (const std::string& part : parts) {
      if (!findIgnoringCase(path, part, &path)) return false;
    }
    return isReadableFile(path);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool mediaFileExists(const std::string& folder, const std::string& relativePath,
                     const CodePage& codePage) {
  const std::vector<std::string> parts = componentsOf(relativePath, codePage);
  if (parts.empty()) return false;
  if (existsAsNamed(folder, parts)) return true;
  std::vector<std::string> utf8Parts;
  for (const std::string& part : parts) {
    std::string utf8;
    if (!codePage.toUtf8(part, &utf8)) return false;
    utf8Parts.push_back(utf8);
  }
  return utf8Parts != parts && existsAsNamed(folder, utf8Parts);
}

}  // namespace quillet
