// The update script reader fed arbitrary bytes as the script file, with the
// base folders quillet-check gives by default; the job it fills is then
// written out as the checker's JSON report, which converts every text.
// The first byte picks the system's major version (4, 5 or another), since
// lines can be limited to one of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_clock.h"
#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_ports.h"
#include "tools/quillet-check/job_json.h"
#include "update/script/script_reader.h"
#include "update/text/cp932_code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillet;
  if (size == 0) return 0;
  const char* const osMajors[] = {"4", "5", "6"};
  CheckOptions options;
  std::string error;
  if (!parseCheckOptions({"--os-major", osMajors[data[0] % 3], "D:\\update\\quillet.txt"}, "",
                         &options, &error)) {
    __builtin_trap();  // fixed arguments: the checker's defaults must always parse
  }
  const std::string script(reinterpret_cast<const char*>(data + 1), size - 1);

  HostFiles files;  // never reached: the script comes as bytes
  EmptyRegistry registry;
  CheckSystem system(options.osMajor, options.windir, options.systemDir);
  FakeClock clock;
  CollectingUi ui;
  NoServiceManager services;
  NoProcesses processes;
  Cp932CodePage codePage;
  NoShell shell;
  UpdatePorts ports{registry, files, system, clock, ui, services, processes, codePage, shell};

  auto job = std::make_unique<UpdateJob>();
  job->sourceDir = options.sourceDir;
  job->workDir = options.workDir;
  job->toolDir = options.toolDir;
  job->systemDir = options.systemDir;
  job->iisDir = options.iisDir;
  job->commonProgramsDir = options.commonProgramsDir;
  job->commonDesktopDir = options.commonDesktopDir;

  const int result = readUpdateScriptBytes(*job, script, options.programGroup, ports);
  if (result != 0 && result != 1) __builtin_trap();
  // A table overflow is the only way to 0, and it always tells the user.
  if (result == 0 && ui.messages.empty()) __builtin_trap();
  checkReportJson(result, ui.messages, *job, codePage);
  return 0;
}
