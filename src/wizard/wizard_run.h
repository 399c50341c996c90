// The wizard's part of start-up: set the pages up, run the message loop (or,
// unattended, press Next on every page) and turn the way the wizard ended
// into the program's exit status.
#pragma once

#include <string>
#include <string_view>

#include "gui/widgets.h"
#include "wizard/main_form.h"

namespace wizpak::wizard {

// Exit statuses of the setup program.
inline constexpr int kExitDone = 0;             // installed (or uninstalled)
inline constexpr int kExitCancelled = 1;        // the user (or an answer) cancelled
inline constexpr int kExitFailureReported = 2;  // the script reported a failure
inline constexpr int kExitError = 3;            // ended by an error (error report written)
inline constexpr int kExitStuck = 4;            // unattended: a page kept Next disabled

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
