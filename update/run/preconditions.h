#pragma once
// Facts about the installed product and the machine, established before an
// update changes anything, and the tests that compare them with what the
// update script demands (models, versions, administrator rights).
#include <string>

#include "update/ports/update_ports.h"
#include "update/script/update_job.h"
#include "update/text/version_text.h"

namespace quillet {

// The product key below HKEY_LOCAL_MACHINE and the key of the shell folders.
extern const char kProductKeyPath[];      // "SOFTWARE\norvane\Plexor"
extern const char kShellFoldersKeyPath[];  // "...\Explorer\Shell Folders"

// What the product key tells about the installed product.
struct InstalledProduct {
  int installedMajor = 0;
  int installedMinor = 0;      // 0..99
  int installedEdition = 0;    // 1..7, 0 when it cannot be established
  int installedMakerCode = 0;  // 1 "WZ", 3 "JX", 5 "QZ", else 0
  std::string programGroupName = "Plexor";  // at most 259 bytes
};

// Resets the product to its defaults and reads the product key: the default
// value (maker code), "ProductName", "Edition" and "VersionNo". Returns 1 when
// the key was opened (whatever values it held), 0 when it cannot be opened.
int readInstalledProduct(InstalledProduct& product, RegistryPort& registry,
                         const CodePage& codePage);
int readInstalledProduct(InstalledProduct& product, UpdatePorts& ports);

// The installed version as the tests compare it: major * 100 + minor, in
// wide arithmetic so that no major part wraps it below a bound.
long long installedVersionOf(const InstalledProduct& product);

// Fills sourceDir, toolDir, workDir, systemDir, iisDir, commonProgramsDir and
// commonDesktopDir of the job, in that order; "WINDIR" must be set too.
// Returns 1 when every folder was found, 0 at the first one missing (the
// later folders are then left as they were).
int resolveFolders(UpdateJob& job, RegistryPort& registry, SystemPort& system,
                   const CodePage& codePage);
int resolveFolders(UpdateJob& job, UpdatePorts& ports);

// The installed product's model bit (edition, overridden by the maker code),
// or 0 when it cannot be told.
int installedModelMask(const InstalledProduct& product);

// 1 when the installed model is one the update fits (a common bit with
// targetModelMask), else 0.
int modelTestPasses(const InstalledProduct& product, const UpdateJob& job);

// 1 when versionLower <= installed version <= versionUpper, else 0.
int versionTestPasses(const InstalledProduct& product, const UpdateJob& job);

// The two lines of the version abort dialog, UTF-8: the installed version,
// then the bound that was missed (lower bound when the installed version is
// below it, else the upper bound).
struct VersionAbortLines {
  std::string firstLine;
  std::string secondLine;
};
VersionAbortLines composeVersionAbortLines(const InstalledProduct& product,
                                           const UpdateJob& job, const CodePage& codePage);

// 1 when the user may change services (the service control manager opens
// with full access; the handle is closed at once), else 0.
int hasAdministratorRights(ServicesPort& services);

// 1 when the job needs no administrator rights or the user has them.
int administratorTestPasses(const UpdateJob& job, ServicesPort& services);

}  // namespace quillet
