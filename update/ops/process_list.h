#pragma once
// The list of running processes, read from the system's performance data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "update/ports/processes_port.h"

namespace quillet {

// One running process.
struct ProcessInfo {
  std::uint32_t processId = 0;        // kUnknownProcessId when the counter read 0
  std::uint32_t parentProcessId = 0;  // not filled
  int mark = 0;                       // 1: to be ended
  std::uintptr_t windowHandle = 0;    // not filled
  char name[64] = {};                 // instance name + ".exe"; empty when too long
  char windowTitle[64] = {};          // not filled
};

constexpr int kProcessListSize = 256;
constexpr std::uint32_t kUnknownProcessId = 0xFFFFFFFE;

// Finds, in the "Counters" text (NUL-terminated strings alternating index and
// name), the index of the "process" object, as the value name to query, and
// the index of its "id process" counter. False when either is missing.
bool findProcessCounters(const std::vector<unsigned char>& counters, std::string* objectValueName,
                         std::uint32_t* idProcessIndex);

// Fills list (at most capacity - 1 entries) from the first object of one
// performance data block of length bytes; returns the count. The block comes
// from outside: a malformed one gives an empty or partial list, and nothing
// outside data[0..length) is ever read.
int readProcessObject(const unsigned char* data, std::size_t length, std::uint32_t idProcessIndex,
                      ProcessesPort& processes, ProcessInfo* list, int capacity);

// The whole walk: counter names, the performance query, the process object.
// 0 when any step before the walk fails.
int listProcesses(ProcessesPort& processes, ProcessInfo* list, int capacity);

// The same walk without a cap: every process of the object, however many a
// busy machine runs. The list grows until the walk no longer fills it.
std::vector<ProcessInfo> listAllProcesses(ProcessesPort& processes);

}  // namespace quillet
