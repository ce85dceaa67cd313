// The version text parser and the reads of the product key and the shell
// folders: every value's type, bytes and length come from the input, with or
// without a terminating NUL, at, just past and far past the buffer the
// reader gives it. Then the tests and the dialog lines built from them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_system.h"
#include "update/run/preconditions.h"
#include "update/text/cp932_code_page.h"
#include "update/text/version_text.h"

namespace {

using namespace quillet;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Bytes of one value: a length near the buffer it is read into (or any
// length), filled from the input, maybe ended by a NUL.
std::string valueBytes(FuzzedDataProvider& in, std::size_t buffer) {
  std::size_t length = 0;
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: length = buffer - 1; break;
    case 1: length = buffer; break;
    case 2: length = buffer + 1; break;
    case 3: length = in.ConsumeIntegralInRange<std::size_t>(0, 3 * buffer); break;
    default: length = in.ConsumeIntegralInRange<std::size_t>(0, 8); break;
  }
  const bool terminated = in.ConsumeBool();
  std::string bytes = in.ConsumeBytesAsString(length);
  bytes.resize(length, 'A');  // the input ran out: keep the length chosen
  if (terminated && !bytes.empty()) bytes.back() = '\0';
  return bytes;
}

void putValue(FuzzedDataProvider& in, FakeRegistry& registry, const char* key, const char* name,
              std::size_t buffer) {
  if (!in.ConsumeBool()) return;  // the value is missing
  const std::uint32_t types[] = {kRegSz, kRegSz, kRegDword, kRegBinary, kRegNone, 2, 7};
  const std::uint32_t type = in.PickValueInArray(types);
  registry.setRaw(key, name, type, valueBytes(in, buffer));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Cp932CodePage codePage;

  // The version text alone.
  const std::string version = in.ConsumeRandomLengthString(32);
  int major = -1, minor = -1;
  parseVersionParts(version, &major, &minor);
  check(major >= 0 && major <= kMaxVersionMajor && minor >= 0 && minor <= 99);
  check(versionNumberOf(version) == major * 100 + minor);

  // The product key and the shell folders; buffers of 260, 16 and 520 bytes.
  FakeRegistry registry;
  registry.createKeyPath(kProductKeyPath);
  registry.createKeyPath(kShellFoldersKeyPath);
  putValue(in, registry, kProductKeyPath, "", 260);
  putValue(in, registry, kProductKeyPath, "ProductName", 260);
  putValue(in, registry, kProductKeyPath, "Edition", 16);
  putValue(in, registry, kProductKeyPath, "VersionNo", 260);
  putValue(in, registry, kProductKeyPath, "CopypoolPath", 520);
  putValue(in, registry, kProductKeyPath, "InetPubPath", 520);
  putValue(in, registry, kShellFoldersKeyPath, "Common Programs", 520);
  putValue(in, registry, kShellFoldersKeyPath, "Common Desktop", 520);

  InstalledProduct product;
  check(readInstalledProduct(product, registry, codePage) == 1);
  check(product.installedEdition >= 0 && product.installedEdition <= 7);
  check(product.installedMinor >= 0 && product.installedMinor <= 99);
  check(product.installedMajor >= 0 && product.installedMajor <= kMaxVersionMajor);
  check(product.programGroupName.size() <= 259);

  FakeSystem system;
  system.setModule("Quillet.exe", "D:\\update\\Quillet.exe");
  auto job = std::make_unique<UpdateJob>();
  if (resolveFolders(*job, registry, system, codePage) == 1) {
    check(job->toolDir.size() <= 519 + 4);  // the folder of a value, then "tool"
    for (const std::string* folder : {&job->workDir, &job->iisDir,
                                      &job->commonProgramsDir, &job->commonDesktopDir}) {
      check(folder->size() <= 519);
    }
  }
  check(registry.openHandleCount() == 0);

  job->versionLower = in.ConsumeIntegral<int>();
  job->versionUpper = in.ConsumeIntegral<int>();
  job->targetModelMask = in.ConsumeIntegral<int>();
  modelTestPasses(product, *job);
  versionTestPasses(product, *job);
  composeVersionAbortLines(product, *job, codePage);
  return 0;
}
