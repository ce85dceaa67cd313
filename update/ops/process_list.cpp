#include "update/ops/process_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "update/ports/status_codes.h"
#include "update/text/mbcs_text.h"

namespace quillet {

namespace {

// The English counter names, whatever the system language.
constexpr char kPerflibKey[] = "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr unsigned kEnglishLanguage = 9;

constexpr std::size_t kFirstQuerySize = 51200;
constexpr std::size_t kQueryGrowth = 25600;
// A provider that keeps answering "more data" must not take all memory.
constexpr std::size_t kLargestQuerySize = 4u << 20;

// Offsets of the published performance data layout (the same on 32- and
// 64-bit systems).
constexpr std::size_t kBlockHeaderLength = 24;   // PERF_DATA_BLOCK.HeaderLength
constexpr std::size_t kBlockObjectCount = 28;    // .NumObjectTypes
constexpr std::size_t kObjectDefinitionLength = 4;
constexpr std::size_t kObjectHeaderLength = 8;
constexpr std::size_t kObjectCounterCount = 32;
constexpr std::size_t kObjectInstanceCount = 40;
constexpr std::size_t kCounterDefinitionSize = 40;  // PERF_COUNTER_DEFINITION
constexpr std::size_t kCounterNameIndex = 4;
constexpr std::size_t kCounterOffset = 36;
constexpr std::size_t kInstanceDefinitionSize = 24;  // PERF_INSTANCE_DEFINITION
constexpr std::size_t kInstanceNameOffset = 16;
constexpr std::size_t kInstanceNameLength = 20;
// name + ".exe" + NUL must fit the 64-byte field: a 60-byte name would put
// its NUL past the field's end, so names from 60 bytes on are not stored.
constexpr std::size_t kLongestStoredName = sizeof(ProcessInfo::name) - 5;

// Bounds-checked little-endian reads from the block.
class Block {
 public:
  Block(const unsigned char* data, std::size_t length) : data_(data), length_(length) {}
  bool holds(std::uint64_t offset, std::uint64_t size) const {
    return offset <= length_ && size <= length_ - offset;
  }
  bool read32(std::uint64_t offset, std::uint32_t* value) const {
    if (!holds(offset, 4)) return false;
    const unsigned char* p = data_ + offset;
    *value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return true;
  }
  const unsigned char* at(std::uint64_t offset) const { return data_ + offset; }

 private:
  const unsigned char* data_;
  std::size_t length_;
};

bool hasSignature(const Block& block) {
  static const unsigned char kSignature[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  return block.holds(0, sizeof kSignature) && std::memcmp(block.at(0), kSignature, 8) == 0;
}

// Offset of the id counter inside each instance's counter block.
bool findIdCounterOffset(const Block& block, std::uint64_t object, std::uint32_t idProcessIndex,
                         std::uint32_t* counterOffset) {
  std::uint32_t headerLength = 0, counterCount = 0;
  if (!block.read32(object + kObjectHeaderLength, &headerLength) ||
      !block.read32(object + kObjectCounterCount, &counterCount))
    return false;
  std::uint64_t definition = object + headerLength;
  for (std::uint32_t i = 0; i < counterCount; ++i) {
    std::uint32_t size = 0, nameIndex = 0;
    if (!block.read32(definition, &size) || size < kCounterDefinitionSize ||
        !block.holds(definition, size) || !block.read32(definition + kCounterNameIndex, &nameIndex))
      return false;
    if (nameIndex == idProcessIndex) return block.read32(definition + kCounterOffset, counterOffset);
    definition += size;
  }
  return false;
}

std::u16string instanceName(const Block& block, std::uint64_t instance, std::uint32_t nameOffset,
                            std::uint32_t nameLength) {
  std::u16string name;
  const std::uint64_t start = instance + nameOffset;
  for (std::uint64_t i = 0; i + 1 < nameLength; i += 2) {
    const unsigned char* p = block.at(start + i);
    const char16_t unit = static_cast<char16_t>(p[0] | (p[1] << 8));
    if (unit == 0) break;
    name.push_back(unit);
  }
  return name;
}

}  // namespace

bool findProcessCounters(const std::vector<unsigned char>& counters, std::string* objectValueName,
                         std::uint32_t* idProcessIndex) {
  bool haveObject = false, haveId = false;
  std::string previous;
  std::size_t i = 0;
  while (i < counters.size()) {
    const std::size_t end = std::find(counters.begin() + i, counters.end(), 0) - counters.begin();
    const std::string text(counters.begin() + i, counters.begin() + end);
    if (equalsIgnoringAsciiCase(text, "process")) {
      *objectValueName = std::to_string(std::strtoul(previous.c_str(), nullptr, 10));
      haveObject = true;
    } else if (equalsIgnoringAsciiCase(text, "id process")) {
      *idProcessIndex = static_cast<std::uint32_t>(std::strtoul(previous.c_str(), nullptr, 10));
      haveId = true;
    }
    previous = text;
    i = end + 1;
  }
  return haveObject && haveId;
}

int readProcessObject(const unsigned char* data, std::size_t length, std::uint32_t idProcessIndex,
                      ProcessesPort& processes, ProcessInfo* list, int capacity) {
  const Block block(data, length);
  std::uint32_t blockHeaderLength = 0, objectCount = 0;
  if (!hasSignature(block) || !block.read32(kBlockHeaderLength, &blockHeaderLength) ||
      !block.read32(kBlockObjectCount, &objectCount) || objectCount == 0)
    return 0;
  const std::uint64_t object = blockHeaderLength;
  std::uint32_t definitionLength = 0, instanceCount = 0, idOffset = 0;
  if (!block.read32(object + kObjectDefinitionLength, &definitionLength) ||
      !block.read32(object + kObjectInstanceCount, &instanceCount) ||
      !findIdCounterOffset(block, object, idProcessIndex, &idOffset))
    return 0;
  // A negative count (no instances) reads as a huge unsigned one: the
  // signed view says none.
  const long instances = static_cast<std::int32_t>(instanceCount);
  const long wanted = capacity - 1 < instances ? capacity - 1 : instances;

  std::uint64_t instance = object + definitionLength;
  int count = 0;
  while (count < wanted) {
    std::uint32_t size = 0, nameOffset = 0, nameLength = 0, countersSize = 0, id = 0;
    if (!block.read32(instance, &size) || size < kInstanceDefinitionSize ||
        !block.holds(instance, size) ||
        !block.read32(instance + kInstanceNameOffset, &nameOffset) ||
        !block.read32(instance + kInstanceNameLength, &nameLength) ||
        !block.holds(instance + nameOffset, nameLength))
      break;
    const std::uint64_t counters = instance + size;
    if (!block.read32(counters, &countersSize) || countersSize < 4 ||
        !block.holds(counters, countersSize) || idOffset > countersSize - 4u ||
        !block.read32(counters + idOffset, &id))
      break;

    ProcessInfo& entry = list[count];
    entry = ProcessInfo{};
    const std::string ansi = processes.instanceNameToAnsi(instanceName(block, instance, nameOffset, nameLength));
    if (!ansi.empty() && ansi.size() <= kLongestStoredName)
      std::snprintf(entry.name, sizeof entry.name, "%s.exe", ansi.c_str());
    entry.processId = id == 0 ? kUnknownProcessId : id;
    ++count;
    instance = counters + countersSize;
  }
  return count;
}

namespace {

// Counter names and the performance query; false when either fails. The
// block is data[0..*length).
bool queryProcessBlock(ProcessesPort& processes, std::vector<unsigned char>* buffer,
                       std::size_t* length, std::uint32_t* idProcessIndex) {
  char keyPath[sizeof kPerflibKey + 8];
  std::snprintf(keyPath, sizeof keyPath, "%s\\%03x", kPerflibKey, kEnglishLanguage);
  std::vector<unsigned char> counters;
  std::string objectValueName;
  if (!processes.readCounterNames(keyPath, &counters) ||
      !findProcessCounters(counters, &objectValueName, idProcessIndex))
    return false;

  buffer->assign(kFirstQuerySize, 0);
  long error = processes.queryPerformanceData(objectValueName, *buffer, length);
  while (error == kErrorMoreData && buffer->size() + kQueryGrowth <= kLargestQuerySize) {
    buffer->assign(buffer->size() + kQueryGrowth, 0);
    error = processes.queryPerformanceData(objectValueName, *buffer, length);
  }
  processes.closePerformanceData();
  return error == kErrorSuccess && *length <= buffer->size();
}

}  // namespace

int listProcesses(ProcessesPort& processes, ProcessInfo* list, int capacity) {
  std::vector<unsigned char> buffer;
  std::size_t length = 0;
  std::uint32_t idProcessIndex = 0;
  if (!queryProcessBlock(processes, &buffer, &length, &idProcessIndex)) return 0;
  return readProcessObject(buffer.data(), length, idProcessIndex, processes, list, capacity);
}

std::vector<ProcessInfo> listAllProcesses(ProcessesPort& processes) {
  std::vector<unsigned char> buffer;
  std::size_t length = 0;
  std::uint32_t idProcessIndex = 0;
  std::vector<ProcessInfo> list;
  if (!queryProcessBlock(processes, &buffer, &length, &idProcessIndex)) return list;
  // Each instance takes more than 24 bytes of the block, so the list stops
  // growing once it has room for every instance the block can hold.
  int count = 0;
  for (std::size_t capacity = kProcessListSize;; capacity *= 2) {
    list.assign(capacity, ProcessInfo{});
    count = readProcessObject(buffer.data(), length, idProcessIndex, processes, list.data(),
                              static_cast<int>(capacity));
    if (static_cast<std::size_t>(count) < capacity - 1) break;
  }
  list.resize(count);
  return list;
}

}  // namespace quillet
