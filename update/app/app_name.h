#pragma once
// The application name the framework derives from the program file's path:
// the file name without folder and without extension. Multi-byte aware, since
// a trail byte of a two-byte character may be a backslash (0x5C).
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

inline std::string applicationNameFromPath(const std::string& path, const CodePage& codePage) {
  std::size_t nameStart = 0;
  std::size_t lastDot = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (codePage.isLeadByte(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte is never a separator
      continue;
    }
    if (byte == '\\' || byte == '/' || byte == ':') {
      nameStart = i + 1;
      lastDot = std::string::npos;
    } else if (byte == '.') {
      lastDot = i;
    }
  }
  const std::size_t end = lastDot == std::string::npos ? path.size() : lastDot;
  return path.substr(nameStart, end - nameStart);
}

}  // namespace quillet
