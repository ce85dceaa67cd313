#include "update/script/script_values.h"

#include "update/text/mbcs_text.h"
#include "update/text/version_text.h"

namespace quillet {

int parseScriptBoolean(const std::string& value) {
  return (value == "1" || equalsIgnoringAsciiCase(value, "on") ||
          equalsIgnoringAsciiCase(value, "true"))
             ? 1
             : 0;
}

int parseScriptVersion(const std::string& value) {
  // Only digits and a point make a version, so a byte-wise cut is enough.
  return versionNumberOf(value.substr(0, kVersionValueMax));
}

int parseModelSet(const std::string& value, const ModelRow* table, const CodePage& codePage) {
  std::string upper = upperCaseSingleByte(value, codePage);
  int mask = 0;
  for (const ModelRow* row = table; row->code != nullptr; ++row) {
    if (findOnCharBoundary(upper, row->code, codePage) != kNotFound) mask |= row->bit;
  }
  return mask;
}

int parsePhaseWord(const std::string& value) {
  if (equalsIgnoringAsciiCase(value, "previous")) return kPhasePrevious;
  if (equalsIgnoringAsciiCase(value, "beforecopy")) return kPhaseBeforeCopy;
  if (equalsIgnoringAsciiCase(value, "aftercopy")) return kPhaseAfterCopy;
  return kPhaseLater;
}

std::string extensionOf(const std::string& value, const CodePage& codePage) {
  std::size_t dot = lastCharIndex(value, '.', codePage);
  return dot == kNotFound ? value : value.substr(dot + 1);
}

bool isScriptHostFile(const std::string& value, const CodePage& codePage) {
  std::string extension = upperCaseSingleByte(extensionOf(value, codePage), codePage);
  return extension == "VBS" || extension == "JS";
}

}  // namespace quillet
