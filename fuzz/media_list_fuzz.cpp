// The media's list of checksums ("quillet.sha256") fed arbitrary bytes, then
// the check of a sealed media over the fakes: a media of three files and a
// script that copies two of them, one with a cp932 name whose second byte is
// a backslash. Whatever the list says, the check and the stage end with a
// verdict that names a file when it refuses, and pass only a list that holds
// the real digests of the script and both copied files.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_file_system.h"
#include "update/media/media_check.h"
#include "update/media/media_list.h"
#include "update/media/media_stage.h"
#include "update/media/sha256.h"
#include "update/text/cp932_code_page.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

const char kScript[] = "file:a.dll\r\ntoWork:\r\npatch:sub\\\x95\x5c.dll\r\ntoWork:\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string list(reinterpret_cast<const char*>(data), size);
  std::vector<quillet::MediaListEntry> entries;
  int badLine = 0;
  if (quillet::parseMediaList(list, &entries, &badLine)) {
    for (const quillet::MediaListEntry& entry : entries) {
      check(entry.digest.size() == 64 && !entry.name.empty());
      for (char c : entry.digest) check((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
    }
  } else {
    check(badLine >= 1);
  }

  quillet::FakeFileSystem files;
  quillet::Cp932CodePage codePage;
  files.addFile("M:\\quillet.txt", kScript);
  files.addFile("M:\\a.dll", "a");
  files.addFile("M:\\sub\\\x95\x5c.dll", "b");
  files.addFile("M:\\quillet.sha256", list);
  files.addFolder("P:");
  auto job = std::make_unique<quillet::UpdateJob>();
  job->sourceDir = "M:";
  job->fileEntryCount = 2;
  job->fileEntries[0].sourcePath = "M:\\a.dll";
  job->fileEntries[1].sourcePath = "M:\\sub\\\x95\x5c.dll";
  quillet::MediaSeal seal;
  quillet::MediaVerdict verdict =
      quillet::checkUpdateMedia(*job, files, codePage, quillet::sha256Hex(kScript), false, &seal);
  check(verdict.sealed);
  if (verdict.refusal == quillet::MediaRefusal::kNone) {
    quillet::MediaStage stage;
    verdict = quillet::stageUpdateMedia(*job, seal, files, codePage, "P:", &stage);
    check(verdict.refusal != quillet::MediaRefusal::kNoStage);
  }
  if (verdict.refusal != quillet::MediaRefusal::kNone) {
    check(!verdict.file.empty());
    return 0;
  }
  // Passed: the list names the three files with their true digests.
  int covered = 0;
  for (const quillet::MediaListEntry& entry : entries) {
    int bit = 0;
    std::string bytes;
    if (entry.name == "quillet.txt") bit = 1, bytes = kScript;
    if (entry.name == "a.dll") bit = 2, bytes = "a";
    if (entry.name == "sub/表.dll") bit = 4, bytes = "b";
    if (bit == 0) continue;
    check(entry.digest == quillet::sha256Hex(bytes));
    covered |= bit;
  }
  check(covered == 7);
  return 0;
}
