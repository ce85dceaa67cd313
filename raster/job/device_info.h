// The printer name from the host's device information, with the job counter
// for template names.
#pragma once

#include <cstddef>

#include "raster/job/param_block.h"

namespace vexmoor {

constexpr std::size_t kPrinterNameCapacity = 256;

// Fills printerName (kPrinterNameCapacity bytes); empty when the host has no
// device information for the block's device name. False when the name is a
// template and the job counter could not be taken (its file stayed locked
// past the bound): the job must not open.
bool readDeviceInfo(const JobEnvironment& env, const PrintParamBlock& block, char* printerName);

// Formats a template name with one counter value: the first "%d" takes the
// counter, "%%" gives "%", anything else is copied as it stands. The host's
// text never reaches a printf format.
void formatPrinterName(const char* templ, int counter, char* out, std::size_t capacity);

// Reads the counter from the counter file (1 when missing or below 1),
// returns it and stores the next value (wrapping to 1 past the largest int),
// all under the file's lock: jobs opening at once on other threads or in
// other processes each take a number of their own. kNoJobCounter when the
// lock was not had within kCounterLockWaitMilliseconds.
constexpr int kNoJobCounter = 0;
int takeJobCounter(const CounterFilePort& file, const char* counterFilePath);

}  // namespace vexmoor
