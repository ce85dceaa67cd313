// Printer names to folder names of the POSIX spooler. A name is the bytes
// the host gave, in whatever code page it used: UTF-8 text is kept readable,
// every other byte is escaped on its own, so two names stay two folders.
// Names that differ in letter case only are one printer, as on Windows.
#include <dirent.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "raster/spooler/spool_files_posix.h"
#include "raster/spooler/utf16.h"

namespace vexmoor {
namespace {

constexpr std::size_t kFolderNameMax = 255;  // NAME_MAX of the file systems a spool root lives on
constexpr std::size_t kDigestDigits = 32;
// Never produced by escaping ('%' is always followed by two hex digits), so
// a shortened name cannot meet a name that fitted.
constexpr const char* kDigestMark = "%~";

void appendUtf8(std::string& out, std::uint32_t codePoint) {
  unsigned char bytes[4];
  out.append(reinterpret_cast<const char*>(bytes), encodeUtf8(codePoint, bytes));
}

// The C.UTF-8 character tables, held while the module is loaded and given
// back when a host unloads it.
struct UnicodeTables {
  locale_t tables = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  ~UnicodeTables() {
    if (tables != locale_t(0)) freelocale(tables);
  }
};

// Upper case as Windows compares printer names: each character on its own,
// through the C library's Unicode tables when the C.UTF-8 locale is there,
// else ASCII letters only. Bytes that are not UTF-8 text are kept: their
// code page is unknown, so their letters cannot be told.
std::string upperCase(const std::string& text) {
  static const UnicodeTables unicodeTables;
  const locale_t unicode = unicodeTables.tables;
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t cp = 0;
    const std::size_t length = std::size_t(utf8Sequence(s + i, text.size() - i, &cp));
    if (length == 0) {
      out += char(s[i++]);
      continue;
    }
    std::uint32_t upper = cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
    if (unicode && cp >= 0x80) upper = std::uint32_t(towupper_l(wint_t(cp), unicode));
    if (upper > 0x10FFFF || (upper >= 0xD800 && upper < 0xE000)) upper = cp;
    appendUtf8(out, upper);
    i += length;
  }
  return out;
}

// The name's bytes with '/', '%', control bytes, a leading '.' and every
// byte outside UTF-8 text as %XX; `cuts` receives the end of each unit (an
// escape or a whole character), where the text may be shortened.
std::string escape(const std::string& name, std::string::size_type* cuts = nullptr, std::size_t cutLimit = 0) {
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(name.data());
  for (std::size_t i = 0; i < name.size();) {
    std::uint32_t cp = 0;
    std::size_t length = std::size_t(utf8Sequence(s + i, name.size() - i, &cp));
    const bool special = length == 1 && (cp == '/' || cp == '%' || cp < 0x20 || cp == 0x7F || (i == 0 && cp == '.'));
    if (length == 0 || special) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", s[i]);
      out += hex;
      length = 1;
    } else {
      out.append(name, i, length);
    }
    i += length;
    if (cuts && out.size() <= cutLimit) *cuts = out.size();
  }
  return out;
}

// 128-bit FNV-1a of the bytes, as 32 upper-case hex digits: names that
// differ stay apart unless some 2^64 of them are spooled to one root.
std::string digest(const std::string& bytes) {
  using u128 = unsigned __int128;
  const u128 prime = (u128(1) << 88) | 0x13B;
  u128 hash = (u128(0x6C62272E07BB0142ULL) << 64) | 0x62B821756295C58DULL;
  for (unsigned char c : bytes) hash = (hash ^ c) * prime;
  char hex[kDigestDigits + 1];
  std::snprintf(hex, sizeof hex, "%016llX%016llX", (unsigned long long)(hash >> 64), (unsigned long long)hash);
  return hex;
}

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string printerFolderName(const std::string& printerName) {
  std::string escaped = escape(printerName);
  if (escaped.size() <= kFolderNameMax) return escaped;
  // Too long as it stands: the upper-case form, which may be shorter, and
  // every variant in letter case gives the same, so they stay one folder.
  const std::string upper = upperCase(printerName);
  std::string::size_type cut = 0;
  escaped = escape(upper, &cut, kFolderNameMax - 2 - kDigestDigits);
  if (escaped.size() <= kFolderNameMax) return escaped;
  return escaped.substr(0, cut) + kDigestMark + digest(upper);
}

std::string printerSpoolFolder(const std::string& root, const std::string& printerName) {
  const std::string wanted = printerFolderName(printerName);
  const std::string key = upperCase(wanted);
  // The first in byte order of the folders that name this printer, so that
  // every job finds the same one whichever spelling made it.
  std::string found;
  if (DIR* dir = opendir(root.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if ((found.empty() || name < found) && upperCase(name) == key && isFolder(root + "/" + name)) found = name;
    }
    closedir(dir);
  }
  return root + "/" + (found.empty() ? wanted : found);
}

}  // namespace vexmoor
