// Native conversion through iconv's "CP932" table.
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "update/text/cp932_code_page.h"

namespace quillet {
namespace {

// Converts the whole text or nothing. With `exact`, a character that iconv
// could only replace (a non-reversible conversion) fails the conversion too.
bool convertWithIconv(const char* to, const char* from, const std::string& text,
                      std::size_t bytesPerInput, bool exact, std::string* result) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> in(text.begin(), text.end());
  std::vector<char> out(text.size() * bytesPerInput + 4);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0 && (!exact || rc == 0);
  if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  result->assign(out.data(), out.size() - outLeft);
  return true;
}

}  // namespace

bool convertCp932ToUtf8(const std::string& ansi, std::string* utf8) {
  return convertWithIconv("UTF-8", "CP932", ansi, 3, false, utf8);
}

bool convertUtf8ToCp932(const std::string& utf8, std::string* ansi) {
  // > 0 from iconv: characters replaced irreversibly, no exact form.
  return convertWithIconv("CP932", "UTF-8", utf8, 2, true, ansi);
}

}  // namespace quillet
