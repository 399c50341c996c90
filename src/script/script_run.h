// Running the compiled script on the installation page: the run state
// (CurrentLine, StopScript, FileGroupCounter), the loop over the compiled
// lines, and what happens after it (install folder, install log, uninstaller).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace wizpak {

class SetupRun;
struct StatusView;

// The script loop's state, part of the run (setup_run.h).
struct TScriptRun {
  int32_t CurrentLine = -1;       // position of the line being run
  bool StopScript = false;        // set by "failure", never cleared
  uint32_t FileGroupCounter = 0;  // group of the last file-carrying line; low 16 bits used
  // Set from outside the loop (the wizard's Cancel or close button while the
  // run is going on): the loop stops before its next line.
  bool CancelRequested = false;

  // Back to the start-up state (tests; the program never resets it).
  void Reset() { *this = TScriptRun{}; }
  uint16_t CurrentGroup() const { return static_cast<uint16_t>(FileGroupCounter & 0xFFFF); }
};

// An error that ends the run (the message goes into the error report).
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ScriptOutcome {
  Completed,        // the pointer passed the last line
  FailureReported,  // a "failure" line ran; steps after the loop still ran
  Cancelled,        // cancelled or SIGINT/SIGTERM: every change was undone
  Error,            // a command raised an error: report written, every change undone
};

struct ScriptRunResult {
  ScriptOutcome outcome = ScriptOutcome::Completed;
  std::string error;         // the error's message for ScriptOutcome::Error
  std::string report_path;   // error report file written for ScriptOutcome::Error ("" if none)
  bool rolled_back = false;  // Cancelled / Error: every change was undone
};

// Options of one run; the defaults are what the installation page uses.
struct ScriptRunOptions {
  // Write the error report (type "Unknown") when a command fails. Tests turn
  // it off. The caller ends the program after an error either way.
  bool write_error_report = true;
};

// The whole installation run on the run's lines and commands:
//  1. the install folder becomes the first folder of the install log;
//  2./3. every line runs in order, jumps move CurrentLine, "failure" stops;
//  4. the install folder and its missing parents are created (logged);
//  5. with CreateUninstaller: the install log is saved into the install
//     folder under UninstallPrefix and the uninstaller is built.
// A script of exactly one line runs that line. The run is a transaction:
// every change is noted in an undo journal (platform/journal.h) before it
// takes effect. An error from a command, a cancel request or SIGINT/SIGTERM
// (which stop the loop before its next line) undo every change in reverse
// order, the status line saying so and the gauge running back; an error then,
// by default, writes the error report. A run that ends well, or stopped by
// "failure" (whose log and uninstaller are still made), keeps its changes.
// A journal left by a killed earlier run for the same folder is undone
// first. Every kLinesPerPump lines the loop runs ProgressHook (the toolkit's
// message pump), so a script that loops without end still lets the user
// cancel.
ScriptRunResult RunScript(SetupRun& setup_run, const ScriptRunOptions& options = {});

// Undoes what a killed earlier run into `install_folder` left, unless a
// setup is still installing there. Start-up calls it before anything else.
void RecoverEarlierRun(StatusView& status, const std::string& install_folder);

inline constexpr int kLinesPerPump = 4096;

// Only steps 2 and 3 (the loop); errors propagate to the caller. False when
// a cancel request or a stop signal ended the loop.
bool RunScriptLines(SetupRun& setup_run);

}  // namespace wizpak
