#pragma once
// The set of ports one update run works through.
#include "update/ports/clock_port.h"
#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/ports/processes_port.h"
#include "update/ports/registry_port.h"
#include "update/ports/services_port.h"
#include "update/ports/shell_port.h"
#include "update/ports/system_port.h"
#include "update/ports/ui_port.h"

namespace quillet {

struct UpdatePorts {
  RegistryPort& registry;
  FileSystemPort& files;
  SystemPort& system;
  ClockPort& clock;
  UserInterfacePort& ui;
  ServicesPort& services;
  ProcessesPort& processes;
  const CodePage& codePage;
  ShellPort& shell;
};

}  // namespace quillet
