#include "update/run/preconditions.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "update/script/script_location.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

const char kProductKeyPath[] = "SOFTWARE\\norvane\\Plexor";
const char kShellFoldersKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

namespace {

constexpr std::uint32_t kProductValueBuffer = 260;
constexpr std::uint32_t kFolderValueBuffer = 520;
constexpr std::uint32_t kEditionBuffer = 16;
constexpr int kMaxEdition = 7;

// The lines of the version abort dialog (string table entries 3, 4 and 5).
const char kInstalledVersionLine[] = "お使いの%sのバージョンは %d.%02d です。";
const char kLowerBoundLine[] = "このアップデータは %d.%02d 以上用です。";
const char kUpperBoundLine[] = "このアップデータは %d.%02d 以下用です。";

// A value's bytes taken as a zero-terminated text: up to the first zero, and
// never past the buffer even when the reported size is larger.
std::string textOfValue(const std::uint8_t* data, std::uint32_t size, std::uint32_t capacity) {
  std::string text(reinterpret_cast<const char*>(data), std::min(size, capacity));
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

// Reads a value into a buffer of the given capacity without looking at its
// type and takes it as a zero-terminated text. A value that fills the
// buffer without a terminating zero is cut to capacity - 1 bytes (at a
// character boundary) instead of being read past its end.
bool queryText(RegistryPort& registry, RegKey key, const std::string& name,
               std::uint32_t capacity, const CodePage& codePage, std::string* text) {
  std::vector<std::uint8_t> buffer(capacity);
  std::uint32_t size = capacity;
  std::uint32_t type = 0;
  if (registry.queryValue(key, name, &type, buffer.data(), &size) != kErrorSuccess) return false;
  *text = cutToBytes(textOfValue(buffer.data(), size, capacity), capacity - 1, codePage);
  return true;
}

// Opens the key for this one value and closes it again.
bool readFolderValue(RegistryPort& registry, const char* keyPath, const char* name,
                     const CodePage& codePage, std::string* text) {
  RegKey key = 0;
  if (registry.openKey(kLocalMachine, keyPath, kKeyQueryValue, &key) != kErrorSuccess)
    return false;
  bool ok = queryText(registry, key, name, kFolderValueBuffer, codePage, text);
  registry.closeKey(key);
  return ok;
}

int makerCodeOf(const std::string& text) {
  if (text == "WZ") return 1;
  if (text == "JX") return 3;
  if (text == "QZ") return 5;
  return 0;
}

// The edition is the product key's "Edition" value: a DWORD, or a text of one
// digit, from 1 to 7. Anything else (absent, another type, out of range)
// means the edition cannot be told.
int readEdition(RegistryPort& registry, RegKey key) {
  std::uint8_t data[kEditionBuffer] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  if (registry.queryValue(key, "Edition", &type, data, &size) != kErrorSuccess) return 0;
  int edition = 0;
  if (type == kRegDword && size == 4) {
    std::uint32_t value = data[0] | (data[1] << 8) | (data[2] << 16) |
                          (static_cast<std::uint32_t>(data[3]) << 24);
    edition = value <= static_cast<std::uint32_t>(kMaxEdition) ? static_cast<int>(value) : 0;
  } else if (type == kRegSz) {
    const std::string text = textOfValue(data, size, sizeof data);
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '0' + kMaxEdition) edition = text[0] - '0';
  }
  return edition;
}

std::string formatLine(const char* format, const char* text, int first, int second) {
  std::vector<char> buffer(512 + (text ? std::char_traits<char>::length(text) : 0));
  if (text) {
    std::snprintf(buffer.data(), buffer.size(), format, text, first, second);
  } else {
    std::snprintf(buffer.data(), buffer.size(), format, first, second);
  }
  return buffer.data();
}

}  // namespace

int readInstalledProduct(InstalledProduct& product, RegistryPort& registry,
                         const CodePage& codePage) {
  product = InstalledProduct();
  RegKey key = 0;
  if (registry.openKey(kLocalMachine, kProductKeyPath, kKeyQueryValue, &key) != kErrorSuccess)
    return 0;
  std::string text;
  if (queryText(registry, key, "", kProductValueBuffer, codePage, &text))
    product.installedMakerCode = makerCodeOf(text);
  if (queryText(registry, key, "ProductName", kProductValueBuffer, codePage, &text) &&
      !text.empty())
    product.programGroupName = text;
  product.installedEdition = readEdition(registry, key);
  if (queryText(registry, key, "VersionNo", kProductValueBuffer, codePage, &text))
    parseVersionParts(text, &product.installedMajor, &product.installedMinor);
  registry.closeKey(key);
  return 1;
}

int readInstalledProduct(InstalledProduct& product, UpdatePorts& ports) {
  return readInstalledProduct(product, ports.registry, ports.codePage);
}

long long installedVersionOf(const InstalledProduct& product) {
  return static_cast<long long>(product.installedMajor) * 100 + product.installedMinor;
}

int resolveFolders(UpdateJob& job, RegistryPort& registry, SystemPort& system,
                   const CodePage& codePage) {
  job.sourceDir = programFolderOf(system, codePage);

  std::string text;
  if (!readFolderValue(registry, kProductKeyPath, "CopypoolPath", codePage, &text)) return 0;
  std::size_t slash = lastCharIndex(text, '\\', codePage);
  job.toolDir = (slash == kNotFound ? std::string() : text.substr(0, slash + 1)) + "tool";

  if (!readFolderValue(registry, kProductKeyPath, "CopypoolPath", codePage, &text)) return 0;
  slash = lastCharIndex(text, '\\', codePage);
  job.workDir = slash == kNotFound ? std::string() : text.substr(0, slash);

  if (!system.systemDirectory(&text)) return 0;
  job.systemDir = text;

  if (!system.environmentVariable("WINDIR", &text)) return 0;

  if (!readFolderValue(registry, kProductKeyPath, "InetPubPath", codePage, &text)) return 0;
  job.iisDir = text;
  if (!readFolderValue(registry, kShellFoldersKeyPath, "Common Programs", codePage, &text))
    return 0;
  job.commonProgramsDir = text;
  if (!readFolderValue(registry, kShellFoldersKeyPath, "Common Desktop", codePage, &text))
    return 0;
  job.commonDesktopDir = text;
  return 1;
}

int resolveFolders(UpdateJob& job, UpdatePorts& ports) {
  return resolveFolders(job, ports.registry, ports.system, ports.codePage);
}

int installedModelMask(const InstalledProduct& product) {
  int mask = 0;
  switch (product.installedEdition) {
    case 1: mask = 0x1; break;
    case 2: mask = 0x2; break;
    case 3: mask = 0x4; break;
    case 4: mask = 0x8; break;
    case 5: mask = 0x10; break;
    case 6:
    case 7: mask = 0x40000; break;
    default: mask = 0; break;
  }
  switch (product.installedMakerCode) {
    case 1: mask = 0x10000; break;
    case 3: mask = 0x20000; break;
    case 5: mask = 0x40000; break;
    default: break;
  }
  return mask;
}

int modelTestPasses(const InstalledProduct& product, const UpdateJob& job) {
  return (installedModelMask(product) & job.targetModelMask) != 0 ? 1 : 0;
}

int versionTestPasses(const InstalledProduct& product, const UpdateJob& job) {
  const long long version = installedVersionOf(product);
  return (version >= job.versionLower && version <= job.versionUpper) ? 1 : 0;
}

VersionAbortLines composeVersionAbortLines(const InstalledProduct& product,
                                           const UpdateJob& job, const CodePage& codePage) {
  const long long version = installedVersionOf(product);
  std::string group = toUtf8Lenient(product.programGroupName, codePage);
  VersionAbortLines lines;
  lines.firstLine = formatLine(kInstalledVersionLine, group.c_str(),
                               static_cast<int>(version / 100), static_cast<int>(version % 100));
  if (version < job.versionLower) {
    lines.secondLine =
        formatLine(kLowerBoundLine, nullptr, job.versionLower / 100, job.versionLower % 100);
  } else {
    lines.secondLine =
        formatLine(kUpperBoundLine, nullptr, job.versionUpper / 100, job.versionUpper % 100);
  }
  return lines;
}

int hasAdministratorRights(ServicesPort& services) {
  // The manager handle is only a test: it is released at once.
  return services.openManager() != nullptr ? 1 : 0;
}

int administratorTestPasses(const UpdateJob& job, ServicesPort& services) {
  if (job.adminRequired != 1) return 1;
  return hasAdministratorRights(services);
}

}  // namespace quillet
