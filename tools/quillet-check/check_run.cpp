#include "tools/quillet-check/check_run.h"

#include <memory>

#include "tools/quillet-check/check_options.h"
#include "tools/quillet-check/check_ports.h"
#include "tools/quillet-check/job_json.h"
#include "tools/quillet-check/script_lint.h"
#include "tools/quillet-check/script_plan.h"
#include "tools/quillet-check/seal_media.h"
#include "update/script/script_reader.h"
#include "update/text/cp932_code_page.h"

namespace quillet {

int runCheck(const std::vector<std::string>& args, const std::string& environmentWindir,
             ClockPort& clock, std::ostream& out, std::ostream& err) {
  if (isSealRequest(args)) return runSeal(args, clock, out, err);
  CheckOptions options;
  std::string error;
  if (!parseCheckOptions(args, environmentWindir, &options, &error)) {
    err << "quillet-check: " << error << "\n" << kCheckUsage;
    return 2;
  }
  if (options.help) {
    out << kCheckUsage;
    return 0;
  }

  HostFiles files;
  std::string bytes;
  if (!files.readFile(options.script, &bytes)) {
    err << "quillet-check: cannot read the script '" << options.script << "'\n";
    return 2;
  }
  if (options.lint)
    return printLintFindings(options.script, lintScriptBytes(options, bytes, clock), out,
                             options.failOnErrorsOnly);
  PlanFacts facts(options.osMajor);
  const ScriptCheck check = checkScriptBytes(options, bytes, clock, options.plan ? &facts : nullptr);
  if (options.plan) {
    out << planText(check.result, check.messages, *check.job, Cp932CodePage(), facts);
    return check.result == 1 ? 0 : 1;
  }
  out << check.json;
  return check.result == 1 ? 0 : 1;
}

ScriptCheck checkScriptBytes(const CheckOptions& options, const std::string& scriptBytes,
                             ClockPort& clock, ScriptReadObserver* observer) {
  HostFiles files;  // the script comes as bytes; nothing else is read
  EmptyRegistry registry;
  CheckSystem system(options.osMajor, options.windir, options.systemDir);
  CollectingUi ui;
  NoServiceManager services;
  NoProcesses processes;
  NoShell shell;
  Cp932CodePage codePage;
  UpdatePorts ports{registry, files, system, clock, ui, services, processes, codePage, shell};

  auto job = std::make_shared<UpdateJob>();  // large: keep it off the stack
  job->sourceDir = options.sourceDir;
  job->workDir = options.workDir;
  job->toolDir = options.toolDir;
  job->systemDir = options.systemDir;
  job->iisDir = options.iisDir;
  job->commonProgramsDir = options.commonProgramsDir;
  job->commonDesktopDir = options.commonDesktopDir;

  ScriptCheck check;
  check.result = readUpdateScriptBytes(*job, scriptBytes, options.programGroup, ports, observer);
  check.json = checkReportJson(check.result, ui.messages, *job, codePage);
  check.messages = ui.messages;
  check.job = job;
  return check;
}

}  // namespace quillet
