// The journal a later start reads with administrator rights: any stored
// values (any names, types and bytes, a State of any value) are decoded and
// recovered on fakes. No crash, and nothing changes that no whole entry
// names: a file and a key no entry mentions stay as they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/update/fake_machine.h"
#include "update/journal/journal_recovery.h"
#include "update/journal/journal_store.h"

namespace {

using namespace quillet;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool mentions(const std::string& text, const std::string& word) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return folded.find(word) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FakeMachine machine;
  machine.files.addFile("C:\\Keep\\file.txt", "kept");
  machine.files.addFile("C:\\P\\bin\\a.dll", "installed");
  machine.registry.setString("SOFTWARE\\Keep", "Value", "kept");
  machine.services.services["Worker"].running = in.ConsumeBool();
  bool named = false;  // some whole entry names the bystanders
  const int count = in.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
    std::string name = in.ConsumeBool() ? in.ConsumeRandomLengthString(12)
                                        : std::to_string(10000000 + i).substr(0, 8);
    if (in.ConsumeBool()) name = "0000000" + std::to_string(i % 10);
    const std::string bytes = in.ConsumeRandomLengthString(512);
    JournalEntry entry;
    if (decodeJournalEntry(bytes, &entry)) {
      named = named || mentions(entry.path, "KEEP") || mentions(entry.other, "KEEP");
      for (const JournalValue& value : entry.values) named = named || mentions(value.name, "KEEP");
    }
    machine.registry.setRaw(kJournalKeyPath, name, in.ConsumeIntegral<std::uint8_t>() % 5, bytes);
  }
  if (in.ConsumeBool()) {
    machine.registry.setDword(kJournalKeyPath, "State", in.ConsumeIntegralInRange(0, 3));
  }
  recoverInterruptedUpdate(machine.ports, [](const std::string&) {});
  if (!named) {
    check(machine.files.contents("C:\\Keep\\file.txt") == "kept");
    check(machine.registry.stringValue("SOFTWARE\\Keep", "Value") == "kept");
  }
  return 0;
}
