// The installation run: the loop over the compiled lines and the steps after it.
#include "script/script_run.h"

#include <exception>

#include "platform/stop_signals.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/run_services.h"
#include "text/shared_state.h"

namespace wizpak {

namespace {
TPak* script_package = nullptr;
}  // namespace

void SetScriptPackage(TPak* package) {
  script_package = package;
}
TPak* ScriptPackage() {
  return script_package;
}

TScriptRun& TScriptRun::Instance() {
  static TScriptRun instance;
  return instance;
}

bool RunScriptLines() {
  const TCompLines& lines = TCompLines::Instance();
  const TCommandList& commands = TCommandList::Instance();
  TScriptRun& state = TScriptRun::Instance();
  state.CurrentLine = -1;
  // Every script with at least one line runs it, including a one-line script.
  const int64_t last = static_cast<int64_t>(lines.LineCount()) - 1;
  int until_pump = kLinesPerPump;
  while (state.CurrentLine < last && !state.StopScript) {
    if (--until_pump == 0) {
      until_pump = kLinesPerPump;
      if (ProgressHook) ProgressHook();
    }
    if (state.CancelRequested || platform::StopRequested()) return false;
    ++state.CurrentLine;
    const TCompLine* line = lines.At(state.CurrentLine);
    if (line == nullptr || line->Command <= 0) continue;  // labels and inert lines
    const TCommandClass* command = commands.ByNumber(line->Command);
    if (command != nullptr) command->Execute(line->LineNumber);
  }
  return true;
}

ScriptRunResult RunScript(const ScriptRunOptions& options) {
  ScriptRunResult result;
  try {
    const std::string install_folder = run::InstallFolder();
    // First in the folder list, so it is the last folder removed at uninstall.
    run::LogDirectory(install_folder);
    const platform::StopSignalScope stop_signals;
    const bool ran_to_end = RunScriptLines();
    run::ForceFoldersLogged(install_folder);
    if (run::UninstallerWanted()) {
      run::SaveInstallLog(install_folder, run::UninstallPrefix());
      run::BuildUninstaller();
    }
    result.outcome = !ran_to_end                         ? ScriptOutcome::Cancelled
                     : TScriptRun::Instance().StopScript ? ScriptOutcome::FailureReported
                                                         : ScriptOutcome::Completed;
  } catch (const std::exception& error) {
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (...) {
    result.outcome = ScriptOutcome::Error;
    result.error = "Unknown error";
  }
  if (result.outcome == ScriptOutcome::Error && options.write_error_report) {
    result.report_path = run::WriteErrorReport(result.error, "Unknown");
  }
  return result;
}

}  // namespace wizpak
