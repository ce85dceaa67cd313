#pragma once
// Builds performance data blocks in the published layout (data block, one
// object type, counter definitions, instances each followed by its counter
// block), so the process walk can be fed well-formed and broken data.
#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

struct PerfInstance {
  std::u16string name;
  std::uint32_t processId = 0;
};

constexpr std::uint32_t kIdProcessIndex = 784;
constexpr std::uint32_t kProcessObjectIndex = 230;
// "Counters" text naming the process object and its id counter, between
// other entries.
extern const char kProcessCounters[];
extern const std::size_t kProcessCountersSize;

// Offsets of the parts of a built block, for tests that break one of them.
struct PerfLayout {
  std::size_t object = 0;
  std::size_t idDefinition = 0;
  std::vector<std::size_t> instances;
  std::vector<std::size_t> counterBlocks;
};

// Two counter definitions: a 64-bit one first (index 6), then the id
// counter (kIdProcessIndex) at offset 16 of each counter block.
std::vector<unsigned char> buildProcessBlock(const std::vector<PerfInstance>& instances,
                                             PerfLayout* layout = nullptr);

void put32(std::vector<unsigned char>& bytes, std::size_t offset, std::uint32_t value);

}  // namespace quillet
