// The configuration file of the POSIX build: `Name = value` lines.
#pragma once

#include <cstdint>

namespace vexmoor {

// Looks name up in the file at path; false when the file or the line is
// missing or its value is not a number.
bool readConfigurationValue(const char* path, const char* name, std::uint32_t* value);
const char* posixConfigurationPath();  // $PLEXOR_CONFIG, else /etc/plexor/configuration

}  // namespace vexmoor
