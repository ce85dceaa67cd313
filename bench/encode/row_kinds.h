#pragma once
// Plane rows of the kinds a printer page is made of, for the benchmarks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexmoor::bench {

enum class RowKind { kBlank, kSparseDots, kErrorDiffused1Bit, kOrderedDither2Bit, kGrainy8Bit, kRandom8Bit };

const std::vector<RowKind>& allRowKinds();
std::string rowKindName(RowKind kind);

// `rows` consecutive rows of `rowLength` bytes each, deterministic per kind.
std::vector<std::uint8_t> makeRows(RowKind kind, std::size_t rowLength, std::size_t rows);

}  // namespace vexmoor::bench
