// Native conversion through iconv's "CP932" table.
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "update/text/cp932_code_page.h"

namespace quillet {

bool convertCp932ToUtf8(const std::string& ansi, std::string* utf8) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> in(ansi.begin(), ansi.end());
  std::vector<char> out(ansi.size() * 3 + 4);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0;
  if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  utf8->assign(out.data(), out.size() - outLeft);
  return true;
}

}  // namespace quillet

namespace quillet {

bool convertUtf8ToCp932(const std::string& utf8, std::string* ansi) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> in(utf8.begin(), utf8.end());
  std::vector<char> out(utf8.size() * 2 + 4);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  bool ok = rc == 0 && inLeft == 0;  // > 0: characters replaced irreversibly
  iconv_close(cd);
  if (!ok) return false;
  ansi->assign(out.data(), out.size() - outLeft);
  return true;
}

}  // namespace quillet
