// Windows conversion of cp932 texts through the system's own table; the
// checker and tests use it whatever the machine's ANSI code page is.
#include "update/text/cp932_code_page.h"
#include "update/text/wide_text.h"

namespace quillet {

bool convertCp932ToUtf8(const std::string& ansi, std::string* utf8) {
  return codePageToUtf8(932, ansi, utf8);
}

bool convertUtf8ToCp932(const std::string& utf8, std::string* ansi) {
  return utf8ToCodePage(932, utf8, ansi);
}

}  // namespace quillet
