// The installation run: the loop over the compiled lines and the steps after it.
#include "script/script_run.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/message_box.h"
#include "platform/codepage.h"
#include "platform/journal.h"
#include "text/status_progress.h"

#include "package/pak.h"
#include "platform/walked_paths.h"
#include "platform/files.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "platform/stop_signals.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/run_services.h"
#include "script/setup_run.h"

namespace wizpak {

namespace {

// The run stopped before it changed anything (another setup holds the
// folder, no lock can be made, the folder is out of bounds): nothing of
// this run is saved.
class RunNotStarted : public ScriptError {
 public:
  using ScriptError::ScriptError;
};

// One installation into a folder at a time: a second setup started for the
// same folder stops at once instead of writing the same files, log and
// uninstaller. The lock file lives in the temporary folder, named after the
// install folder, so nothing is made in the install folder before the
// script runs.
platform::FileLock LockInstallFolder(const std::string& install_folder,
                                     bool* locked_already = nullptr) {
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
  if (locked_already != nullptr) *locked_already = false;
  // The temporary folder first; where it cannot be written, beside the
  // install folder's parent (which the run writes into anyway). Without a
  // lock the run does not start: two setups would write one folder.
  std::vector<std::string> places = {platform::TempFolder() + name};
  const auto [parent, unused] = platform::SplitLastLevel(
      install_folder.ends_with('\\') ? install_folder.substr(0, install_folder.size() - 1)
                                     : install_folder);
  if (!parent.empty()) places.push_back(run::WithBackslash(parent) + "." + name);
  std::string why;
  for (const std::string& place : places) {
    platform::FileLock::Result result = platform::FileLock::Result::Failed;
    platform::FileLock lock = platform::FileLock::TryLock(place, result);
    if (result == platform::FileLock::Result::Locked) return lock;
    if (result == platform::FileLock::Result::Busy) {
      if (locked_already != nullptr) {
        *locked_already = true;
        return lock;
      }
      throw RunNotStarted("Another setup is installing into " + install_folder +
                          "; run this one again when it has finished");
    }
    why += (why.empty() ? "" : "; ") + platform::LastErrorText();
  }
  throw RunNotStarted("Cannot lock the installation folder " + install_folder + ": " + why);
}

// Shows the undoing on the run page: the status line says so and the
// gauge runs back from where the run left it.
class RollbackView {
 public:
  RollbackView(StatusView& status, const char* text)
      : status_(status), start_(status.GaugePosition()) {
    status_.ShowStatus(AnsiToWide(text), true);
  }
  void Step(size_t done, size_t total) {
    if (status_.HasGauge() && total > 0) {
      const int64_t left = static_cast<int64_t>(start_) * static_cast<int64_t>(total - done) /
                           static_cast<int64_t>(total);
      status_.SetGaugePosition(static_cast<int32_t>(left));
    }
    // The window stays responsive, as during extraction.
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (percent >= pumped_ + 5) {
      pumped_ = percent;
      if (status_.ProgressHook) status_.ProgressHook();
    }
  }

 private:
  StatusView& status_;
  int32_t start_;
  int pumped_ = 0;
};

// Undoes the run noted in `journal`; says so on the status line and on
// standard error.
bool RollBack(StatusView& status, platform::Journal& journal) {
  const platform::StopSignalScope no_second_stop;  // the undoing is not cut short
  RollbackView view(status, "Rolling back the installation...");
  const bool all = journal.Rollback([&](size_t done, size_t total) { view.Step(done, total); });
  const char* text = all ? "The installation was rolled back: nothing it changed remains."
                         : "The installation could not be rolled back completely; the next "
                           "start of the setup tries again.";
  status.ShowStatus(AnsiToWide(text), true);
  std::fprintf(stderr, "%s: %s\n", gui::ProgramNameForMessages().c_str(), text);
  return all;
}

}  // namespace

namespace {

// Undoes what a killed earlier run left; the caller holds the folder's lock.
void UndoKilledRun(StatusView& status, const std::string& install_folder) {
  std::unique_ptr<RollbackView> view;
  const platform::RecoveryResult result =
      platform::RecoverInterruptedRun(install_folder, [&](size_t done, size_t total) {
        if (!view)
          view = std::make_unique<RollbackView>(status, "Undoing an interrupted installation...");
        view->Step(done, total);
      });
  if (result == platform::RecoveryResult::RolledBack) {
    std::fprintf(stderr, "%s: an interrupted installation into %s was rolled back\n",
                 gui::ProgramNameForMessages().c_str(), install_folder.c_str());
  } else if (result == platform::RecoveryResult::Incomplete) {
    std::fprintf(stderr,
                 "%s: an interrupted installation into %s could not be rolled back completely\n",
                 gui::ProgramNameForMessages().c_str(), install_folder.c_str());
  }
}

}  // namespace

void RecoverEarlierRun(StatusView& status, const std::string& install_folder) {
  if (install_folder.empty()) return;
  bool busy = false;
  // Under the install folder's lock: a setup still running there keeps its
  // journal; one that was killed left the lock free.
  // Where no lock can be made at all, the run itself refuses to start
  // later, with the reason.
  try {
    const platform::FileLock lock = LockInstallFolder(install_folder, &busy);
    if (!busy) UndoKilledRun(status, install_folder);
  } catch (const RunNotStarted&) {
  }
}

bool RunScriptLines(SetupRun& setup_run) {
  const TCompLines& lines = setup_run.lines;
  const TCommandList& commands = setup_run.commands;
  TScriptRun& state = setup_run.script;
  state.CurrentLine = -1;
  // Every script with at least one line runs it, including a one-line script.
  const int64_t last = static_cast<int64_t>(lines.LineCount()) - 1;
  int until_pump = kLinesPerPump;
  while (state.CurrentLine < last && !state.StopScript) {
    if (--until_pump == 0) {
      until_pump = kLinesPerPump;
      if (setup_run.status.ProgressHook) setup_run.status.ProgressHook();
    }
    if (state.CancelRequested || platform::StopRequested()) return false;
    ++state.CurrentLine;
    const TCompLine* line = lines.At(state.CurrentLine);
    if (line == nullptr || line->Command <= 0) continue;  // labels and inert lines
    const TCommandClass* command = commands.ByNumber(line->Command);
    if (command != nullptr) command->Execute(setup_run, line->LineNumber);
  }
  // A cancel answered during the last line (a long extraction stops part-way
  // for it) is a cancelled run too, not a finished one.
  return !state.CancelRequested && !platform::StopRequested();
}

ScriptRunResult RunScript(SetupRun& setup_run, const ScriptRunOptions& options) {
  ScriptRunResult result;
  platform::FileLock lock;  // held until the run is committed or undone
  // The run's journal, kept in the run object while it goes on. Only the
  // journal this call made is committed or undone here.
  std::unique_ptr<platform::Journal>& journal = setup_run.journal;
  bool journal_made = false;
  try {
    const std::string install_folder = run::InstallFolder(setup_run);
    // Refused before anything is written: files that fit but a log that
    // could not be saved would leave an installation nobody can remove.
    if (const std::string fault = platform::InstallFolderFault(install_folder); !fault.empty())
      throw RunNotStarted(fault);
    lock = LockInstallFolder(install_folder);
    // What a killed earlier run left is undone before anything else.
    UndoKilledRun(setup_run.status, install_folder);
    journal = platform::Journal::Begin(install_folder);
    if (!journal) throw ScriptError("Cannot start the installation: " + platform::LastErrorText());
    journal_made = true;
    const platform::JournalScope noting(*journal);
    // First in the folder list, so it is the last folder removed at uninstall.
    run::LogDirectory(setup_run, install_folder);
    // A reinstall keeps what the earlier run installed in the new log.
    if (run::UninstallerWanted(setup_run))
      run::MergeEarlierInstallLog(setup_run, install_folder, run::UninstallPrefix(setup_run));
    const platform::StopSignalScope stop_signals;
    if (!RunScriptLines(setup_run)) {
      result.outcome = ScriptOutcome::Cancelled;
    } else {
      run::ForceFoldersLogged(setup_run, install_folder);
      if (run::UninstallerWanted(setup_run)) {
        run::SaveInstallLog(setup_run, install_folder, run::UninstallPrefix(setup_run));
        run::BuildUninstaller(setup_run);
      }
      // A cancel answered while the log and the uninstaller were written.
      result.outcome = setup_run.script.CancelRequested || platform::StopRequested()
                           ? ScriptOutcome::Cancelled
                       : setup_run.script.StopScript ? ScriptOutcome::FailureReported
                                                     : ScriptOutcome::Completed;
    }
  } catch (const RunNotStarted& error) {
    // Nothing was done; another setup's files and log are its own.
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (const WrongSizeError& error) {
    // A damaged setup: the package reader reports it, the person is told
    // here, and the run ends on the error path, never as a success.
    setup_run.prompts.Ask(error.BoxText(), "Error");
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (const std::exception& error) {
    result.outcome = ScriptOutcome::Error;
    result.error = error.what();
  } catch (...) {
    result.outcome = ScriptOutcome::Error;
    result.error = "Unknown error";
  }
  if (journal_made) {
    // A run that ended well (or stopped by the script's own "failure") keeps
    // its changes; an error, a cancel or a stop signal undoes them all.
    if (result.outcome == ScriptOutcome::Completed ||
        result.outcome == ScriptOutcome::FailureReported) {
      journal->Commit();
    } else {
      result.rolled_back = RollBack(setup_run.status, *journal);
    }
    journal.reset();
  }
  if (result.outcome == ScriptOutcome::Error && options.write_error_report) {
    result.report_path = run::WriteErrorReport(setup_run, result.error, "Unknown");
  }
  return result;
}

}  // namespace wizpak
