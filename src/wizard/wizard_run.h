// The wizard's part of start-up: set the pages up, run the message loop (or,
// unattended, press Next on every page) and turn the way the wizard ended
// into the program's exit status.
#pragma once

#include <string>
#include <string_view>

#include "gui/widgets.h"
#include "wizard/main_form.h"

namespace wizpak::wizard {

// Exit statuses of the setup program that the wizard decides. They fit
// between those of start-up (1 a start-up check failed and said why, 2 bad
// command line, 3 fatal exit, 5 error report). 4 is no longer given: start-up
// always has the wizard.
inline constexpr int kExitDone = 0;             // installed (or uninstalled)
inline constexpr int kExitStartupStopped = 1;   // no page description: said so and ended
inline constexpr int kExitError = 5;            // ended by an error report
inline constexpr int kExitCancelled = 6;        // the user (or an answer) cancelled
inline constexpr int kExitFailureReported = 7;  // the script reported a failure
inline constexpr int kExitStuck = 8;            // unattended: a page kept Next disabled

// The exit-status paragraph for the setup program's --help text.
std::string_view ExitStatusHelp();

struct WizardRunOptions {
  bool unattended = false;
  std::string dir;  // --dir=FOLDER; "" when not given
};

// Step 16 of start-up: SetPagesUp, then the message loop until the form
// closes. Unattended, Next is pressed while it is usable; on the finish page
// Cancel closes; a page that keeps Next disabled ends the run with one line
// on stderr and kExitStuck. A fatal layout error is written to the error
// report (host's write_error_report) and gives kExitError.
//
// With WIZPAK_DEBUG_DUMP set, the diagnostic dump is shown after set-up and
// its lines are written to the named file ("-" for stderr).
int RunWizard(gui::Toolkit& toolkit, gui::MainForm& form, TFrmMain& wizard,
              const WizardRunOptions& options);

// The exit status for an outcome.
int ExitStatusFor(WizardOutcome outcome);

// Why Next is disabled on the current page, in words (for the unattended
// stop line).
std::string StuckReason(TFrmMain& wizard);

}  // namespace wizpak::wizard
