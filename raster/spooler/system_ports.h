// The platform's ports for the raster module: the Windows spooler, registry
// and ANSI code page on Windows; a folder of spool files, a configuration
// file and UTF-8 elsewhere.
#pragma once

#include "raster/job/ports.h"

namespace vexmoor {

SpoolerPort systemSpoolerPort();
DiskSpacePort systemDiskSpacePort();
ConfigPort systemConfigPort();
ClockPort systemClockPort();
TextPort systemTextPort();
CounterFilePort systemCounterFilePort();

// Every port bound to the platform, with the given host libraries.
JobEnvironment systemEnvironment(const HostPort& host);

}  // namespace vexmoor
