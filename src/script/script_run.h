// Running the compiled script on the installation page: the run state
// (CurrentLine, StopScript, FileGroupCounter), the loop over the compiled
// lines, and what happens after it (install folder, install log, uninstaller).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace wizpak {

class SetupRun;

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
  Cancelled,        // cancelled or SIGINT/SIGTERM; steps after the loop still ran
  Error,            // a command raised an error: report written; the log of what was
                    // done (and the uninstaller) still saved when one is wanted
};

struct ScriptRunResult {
  ScriptOutcome outcome = ScriptOutcome::Completed;
  std::string error;        // the error's message for ScriptOutcome::Error
  std::string report_path;  // error report file written for ScriptOutcome::Error ("" if none)
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
// A script of exactly one line runs that line. An error from a command skips
// steps 4 and 5 and, by default, writes the error report.
// Every kLinesPerPump lines the loop runs ProgressHook (the toolkit's message
// pump), so a script that loops without end still lets the user cancel. A
// cancel request, or SIGINT/SIGTERM during the run, stops the loop before its
// next line; steps 4 and 5 still run, so the install log names what was done.
ScriptRunResult RunScript(SetupRun& setup_run, const ScriptRunOptions& options = {});

inline constexpr int kLinesPerPump = 4096;

// Only steps 2 and 3 (the loop); errors propagate to the caller. False when
// a cancel request or a stop signal ended the loop.
bool RunScriptLines(SetupRun& setup_run);

}  // namespace wizpak
