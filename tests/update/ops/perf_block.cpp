#include "tests/update/ops/perf_block.h"

namespace quillet {

const char kProcessCounters[] =
    "1\0001847\0002\0System\000230\0Process\000784\0ID Process\000232\0Thread\0\0";
const std::size_t kProcessCountersSize = sizeof kProcessCounters - 1;

void put32(std::vector<unsigned char>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

namespace {

std::size_t append(std::vector<unsigned char>& bytes, std::size_t size) {
  const std::size_t at = bytes.size();
  bytes.resize(at + size, 0);
  return at;
}

}  // namespace

std::vector<unsigned char> buildProcessBlock(const std::vector<PerfInstance>& instances,
                                             PerfLayout* layout) {
  PerfLayout local;
  PerfLayout& l = layout ? *layout : local;
  std::vector<unsigned char> b;
  append(b, 88);  // PERF_DATA_BLOCK
  const char signature[] = "PERF";
  for (int i = 0; i < 4; ++i) b[2 * i] = static_cast<unsigned char>(signature[i]);
  put32(b, 8, 1);     // little endian
  put32(b, 24, 88);   // header length
  put32(b, 28, 1);    // one object type

  l.object = append(b, 64);  // PERF_OBJECT_TYPE
  put32(b, l.object + 8, 64);
  put32(b, l.object + 12, kProcessObjectIndex);
  put32(b, l.object + 32, 2);  // counters
  put32(b, l.object + 40, static_cast<std::uint32_t>(instances.size()));
  const std::size_t other = append(b, 40);
  put32(b, other, 40);
  put32(b, other + 4, 6);
  put32(b, other + 36, 8);
  l.idDefinition = append(b, 40);
  put32(b, l.idDefinition, 40);
  put32(b, l.idDefinition + 4, kIdProcessIndex);
  put32(b, l.idDefinition + 32, 4);
  put32(b, l.idDefinition + 36, 16);
  put32(b, l.object + 4, static_cast<std::uint32_t>(b.size() - l.object));  // definition length

  for (const PerfInstance& instance : instances) {
    const std::size_t nameBytes = (instance.name.size() + 1) * 2;
    const std::size_t size = (24 + nameBytes + 7) / 8 * 8;
    const std::size_t at = append(b, size);
    l.instances.push_back(at);
    put32(b, at, static_cast<std::uint32_t>(size));
    put32(b, at + 12, 0xFFFFFFFF);  // no unique id
    put32(b, at + 16, 24);
    put32(b, at + 20, static_cast<std::uint32_t>(nameBytes));
    for (std::size_t i = 0; i < instance.name.size(); ++i) {
      b[at + 24 + 2 * i] = static_cast<unsigned char>(instance.name[i]);
      b[at + 25 + 2 * i] = static_cast<unsigned char>(instance.name[i] >> 8);
    }
    const std::size_t counters = append(b, 24);
    l.counterBlocks.push_back(counters);
    put32(b, counters, 24);
    put32(b, counters + 16, instance.processId);
  }
  put32(b, l.object, static_cast<std::uint32_t>(b.size() - l.object));
  put32(b, 20, static_cast<std::uint32_t>(b.size()));
  return b;
}

}  // namespace quillet
