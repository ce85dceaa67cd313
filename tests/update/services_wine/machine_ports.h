#pragma once
// The update run's ports on the real platform, with a user interface that
// shows nothing and records the progress bar, and a processes port that can
// be replaced.
#include <memory>

#include "tests/fakes/fake_ui.h"
#include "update/ops/update_steps.h"
#include "update/win32/win32_clock.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_file_system.h"
#include "update/win32/win32_processes.h"
#include "update/win32/win32_registry.h"
#include "update/win32/win32_services.h"
#include "update/win32/win32_shell.h"
#include "update/win32/win32_system.h"

namespace quillet {

struct MachinePorts {
  explicit MachinePorts(ProcessesPort* replacement = nullptr)
      : ports{registry, files, system, clock, ui, services,
              replacement ? *replacement : processes, codePage, shell} {}
  Win32Registry registry;
  Win32FileSystem files;
  Win32System system;
  Win32Clock clock;
  FakeUi ui;
  Win32Services services;
  Win32Processes processes;
  Win32CodePage codePage;
  Win32Shell shell;
  UpdatePorts ports;
  std::unique_ptr<UpdateJob> job = std::make_unique<UpdateJob>();
};

}  // namespace quillet
