#pragma once
// Every port of an update run over the in-memory fakes, with the product's
// code page, in one record: a test arranges and checks the fakes by name and
// hands `ports` to the code under test.
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_ui.h"
#include "update/ports/update_ports.h"
#include "update/text/cp932_code_page.h"

namespace quillet {

struct FakeMachine {
  FakeRegistry registry;
  FakeFileSystem files;
  FakeSystem system;
  FakeClock clock;
  FakeUi ui;
  FakeServices services;
  FakeProcesses processes;
  Cp932CodePage codePage;
  FakeShell shell{&files};
  UpdatePorts ports{registry, files, system, clock, ui, services, processes, codePage, shell};
};

}  // namespace quillet
