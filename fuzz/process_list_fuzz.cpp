// The process list from performance data: the "Counters" text and the
// performance data block both come from the input. The whole walk runs
// through the fake port (the buffer grown on "more data", as the system
// asks), then the block walk again over an exactly sized copy, so that any
// read past the answer's end is an AddressSanitizer finding; both must agree.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/byte_reader.h"
#include "tests/fakes/fake_processes.h"
#include "update/ops/process_list.h"

namespace {

using quillet::ProcessInfo;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Every stored entry: a name NUL-terminated inside its field, empty or
// ending in ".exe", and an id that is never 0.
void checkList(const ProcessInfo* list, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t length = strnlen(list[i].name, sizeof list[i].name);
    check(length < sizeof list[i].name);
    check(length == 0 || (length > 4 && std::memcmp(list[i].name + length - 4, ".exe", 4) == 0));
    check(list[i].processId != 0 && list[i].mark == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plexor_fuzz::ByteReader in(data, size);
  const std::size_t countersLength = in.u16() % 1024;
  const std::vector<std::uint8_t> counters = in.bytes(countersLength);
  const int moreData = in.u8() % 4;
  const int capacity = in.u8() % (quillet::kProcessListSize + 1);
  const std::size_t header = 2 + countersLength + 2;
  std::vector<std::uint8_t> block(data + (header < size ? header : size), data + size);

  quillet::FakeProcesses processes;
  processes.counters.assign(counters.begin(), counters.end());
  processes.answer = block;
  processes.moreDataAnswers = moreData;
  // Exactly capacity entries, so that a write past the last is a finding.
  std::unique_ptr<ProcessInfo[]> listed(new ProcessInfo[capacity]);
  const int count = quillet::listProcesses(processes, listed.get(), capacity);
  check(count >= 0 && count <= (capacity > 0 ? capacity - 1 : 0));
  check(processes.closes == (processes.offeredSizes.empty() ? 0 : 1));
  checkList(listed.get(), count);

  std::string valueName;
  std::uint32_t idIndex = 0;
  if (!quillet::findProcessCounters(std::vector<unsigned char>(counters.begin(), counters.end()), &valueName,
                                    &idIndex))
    return 0;
  check(!valueName.empty());
  std::unique_ptr<unsigned char[]> exact(new unsigned char[block.size()]);
  if (!block.empty()) std::memcpy(exact.get(), block.data(), block.size());
  std::unique_ptr<ProcessInfo[]> walked(new ProcessInfo[capacity]);
  const int again = quillet::readProcessObject(exact.get(), block.size(), idIndex, processes, walked.get(), capacity);
  check(again == count);
  checkList(walked.get(), again);
  for (int i = 0; i < again; ++i)
    check(walked[i].processId == listed[i].processId && std::strcmp(walked[i].name, listed[i].name) == 0);
  return 0;
}
