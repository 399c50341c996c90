// The installation run: the loop over the compiled lines and the steps after it.
#include "script/script_run.h"

#include <exception>

#include <cstdio>

#include "package/pak.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "platform/stop_signals.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/run_services.h"
#include "text/shared_state.h"

namespace wizpak {

namespace {
TPak* script_package = nullptr;
// After an error the files written so far stay installed: the log (and the
// uninstaller) still go into the install folder, so they can be removed.
// A run that never made the install folder leaves nothing to remove. This
// is best effort; the error that ended the run is the one reported.
void SaveWhatWasDone() {
  if (!run::UninstallerWanted()) return;
  try {
    const std::string install_folder = run::InstallFolder();
    if (!platform::DirectoryExists(install_folder)) return;
    run::SaveInstallLog(install_folder, run::UninstallPrefix());
    run::BuildUninstaller();
  } catch (...) {
  }
}

class InstallFolderBusy : public ScriptError {
 public:
  using ScriptError::ScriptError;
};

// One installation into a folder at a time: a second setup started for the
// same folder stops at once instead of writing the same files, log and
// uninstaller. The lock file lives in the temporary folder, named after the
// install folder, so nothing is made in the install folder before the
// script runs.
platform::FileLock LockInstallFolder(const std::string& install_folder) {
  // Named after the folder the drive map makes of it, so setups on other
  // drive maps (other users, other machines sharing /tmp) never meet.
  const std::string host = platform::ToHostPath(install_folder).value_or(install_folder);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over the folder, any case
  for (char c : host) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<uint8_t>(lower == '/' ? '\\' : lower)) * 1099511628211ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, "wizpak-install-%016llx.lock",
                static_cast<unsigned long long>(hash));
  platform::FileLock::Result result = platform::FileLock::Result::Failed;
  platform::FileLock lock = platform::FileLock::TryLock(platform::TempFolder() + name, result);
  if (result == platform::FileLock::Result::Busy) {
    throw InstallFolderBusy("Another setup is installing into " + install_folder +
                            "; run this one again when it has finished");
  }
  return lock;  // a lock that cannot be made (no temporary folder) does not stop the run
}

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
  // A cancel answered during the last line (a long extraction stops part-way
  // for it) is a cancelled run too, not a finished one.
  return !state.CancelRequested && !platform::StopRequested();
}

ScriptRunResult RunScript(const ScriptRunOptions& options) {
  ScriptRunResult result;
  platform::FileLock lock;  // held until the log of an error is saved too
  bool busy = false;
  try {
    const std::string install_folder = run::InstallFolder();
    lock = LockInstallFolder(install_folder);
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
  } catch (const InstallFolderBusy& error) {
    // The other setup's files and log are its own: nothing is saved here.
    busy = true;
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (const WrongSizeError& error) {
    // A damaged setup: the package reader reports it, the person is told
    // here, and the run ends on the error path, never as a success.
    run::ShowErrorBox(error.BoxText());
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (const std::exception& error) {
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (...) {
    result.outcome = ScriptOutcome::Error;
    result.error = "Unknown error";
  }
  if (result.outcome == ScriptOutcome::Error && !busy) SaveWhatWasDone();
  if (result.outcome == ScriptOutcome::Error && options.write_error_report) {
    result.report_path = run::WriteErrorReport(result.error, "Unknown");
  }
  return result;
}

}  // namespace wizpak
