#include "wizard/program_host.h"

#include <cstdio>

#include "diagnostics/error_report.h"
#include "platform/files.h"
#include "platform/process.h"
#include "package/setup_info.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "uninstall/uninstaller.h"

namespace wizpak::wizard {

WizardHost MakeProgramHost(SetupRun& setup_run, const ProgramPackage& package) {
  TSetupInfoFile& record = setup_run.record;
  WizardHost host;
  host.find_entry = package.find_entry;
  host.is_uninstaller = record.IsUninstaller == 1;
  host.setup_name = record.SetupName;
  host.short_name = record.ShortName;
  host.install_dir = &record.InstallDir;
  uint32_t grouped = 0;
  for (const auto& entry : package.entries) grouped += entry.second != 0 ? 1 : 0;
  host.count_grouped = [grouped] { return grouped; };
  host.run_script = [&setup_run] {
    ScriptRunResult result = RunScript(setup_run);
    switch (result.outcome) {
      case ScriptOutcome::Completed:
        return RunResult::Completed;
      case ScriptOutcome::FailureReported:
        return RunResult::FailureReported;
      case ScriptOutcome::Cancelled:
        return RunResult::Cancelled;
      case ScriptOutcome::Error:
        return RunResult::Error;
    }
    return RunResult::Error;
  };
  host.cancel_script = [&setup_run] { setup_run.script.CancelRequested = true; };
  host.run_uninstall = [&setup_run] {
    RunUninstallWalk(setup_run, setup_run.install_log, ActiveControlsView(setup_run.status));
  };
  host.start_finaliser = [&setup_run] {
    // Everything else is removed; only the uninstaller itself stays.
    if (!StartFinaliser(setup_run.package, setup_run.install_log)) {
      std::fprintf(stderr,
                   "wizpak: the uninstaller cannot remove itself (%s); %s may be deleted by hand\n",
                   platform::LastErrorText().c_str(), platform::ExecutablePath().c_str());
    }
  };
  host.write_error_report = [&setup_run](const std::string& message) {
    setup_run.WriteErrorReport(message, "");
  };
  host.debug_facts = [package, &setup_run] {
    const TSetupInfoFile& info = setup_run.record;
    DebugFacts facts;
    facts.package_id = package.id;
    facts.package_version = package.version;
    facts.entries = package.entries;
    facts.setup_name = info.SetupName;
    facts.setup_exe_name = info.SetupExeName;
    facts.install_dir = info.InstallDir;
    facts.install_dir_root_key = RootKeyFullName(info.InstallDirRegKey.HKEY);
    facts.install_dir_path = info.InstallDirRegKey.Path;
    facts.install_dir_key = info.InstallDirRegKey.Key;
    facts.changelog = info.Changelog;
    return facts;
  };
  return host;
}

int RunProgramWizard(SetupRun& setup_run, gui::Toolkit& toolkit, gui::MainForm& form,
                     const ProgramPackage& package, const WizardRunOptions& options) {
  TFrmMain wizard(toolkit, form, setup_run, MakeProgramHost(setup_run, package));
  return RunWizard(toolkit, form, wizard, options);
}

}  // namespace wizpak::wizard
