#include "wizard/program_host.h"

#include "diagnostics/error_report.h"
#include "package/setup_info.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "uninstall/uninstaller.h"

namespace wizpak::wizard {

WizardHost MakeProgramHost(SetupRun& setup_run, const ProgramPackage& package) {
  TSetupInfoFile& record = TSetupInfoFile::Instance();
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
  host.run_uninstall = [] { RunUninstallWalk(); };
  host.start_finaliser = [] { StartFinaliser(); };
  host.write_error_report = [](const std::string& message) {
    diagnostics::WriteErrorReport(message, "");
  };
  host.debug_facts = [package] {
    const TSetupInfoFile& info = TSetupInfoFile::Instance();
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
  TFrmMain wizard(toolkit, form, MakeProgramHost(setup_run, package));
  return RunWizard(toolkit, form, wizard, options);
}

}  // namespace wizpak::wizard
