#include "wizard/wizard_run.h"

#include <cstdio>
#include <cstdlib>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "text/folder_rules.h"
#include "text/number_format.h"
#include "text/shared_state.h"
#include "text/text_routines.h"

namespace wizpak::wizard {

namespace {

void WriteDebugDump(TFrmMain& wizard, const char* target) {
  std::string text;
  for (const std::u16string& line : wizard.Button2Click()) text += WideToUtf8(line) + "\n";
  if (std::string_view(target) == "-") {
    std::fputs(text.c_str(), stderr);
  } else if (!platform::WriteFileAtomic(target, text)) {
    std::fprintf(stderr, "wizpak-stub: cannot write the debug dump to %s: %s\n", target,
                 platform::LastErrorText().c_str());
  }
}

// Presses Next while it can; returns the exit status.
int RunUnattended(gui::MainForm& form, TFrmMain& wizard) {
  // Each press moves one page on or ends the run, so the page count bounds
  // the presses; the margin covers pages that are entered twice.
  const int limit = 4 * wizard.Pages().PageCount() + 16;
  for (int presses = 0; !form.IsClosed(); ++presses) {
    gui::Button& next = form.NextButton();
    const int before = wizard.Pages().CurrentPage;
    if (next.Visible() && next.Enabled() && presses < limit) {
      next.Click();
      if (!form.IsClosed() && wizard.Pages().CurrentPage == before &&
          wizard.Pages().CurrentType() != TPageType::ptFinish) {
        std::fprintf(stderr,
                     "wizpak-stub: unattended setup stopped on page %d (%s): the page set "
                     "has no page after it\n",
                     before, std::string(PageTypeWord(wizard.Pages().CurrentType())).c_str());
        wizard.Terminate();
        return kExitStuck;
      }
      continue;
    }
    if (wizard.Pages().CurrentType() == TPageType::ptFinish) {
      form.CancelButton().Click();
      if (!form.IsClosed()) form.Close();
      break;
    }
    std::fprintf(stderr, "wizpak-stub: unattended setup stopped on page %d (%s): %s\n",
                 wizard.Pages().CurrentPage,
                 std::string(PageTypeWord(wizard.Pages().CurrentType())).c_str(),
                 StuckReason(wizard).c_str());
    wizard.Terminate();
    return kExitStuck;
  }
  return ExitStatusFor(wizard.Outcome());
}

}  // namespace

std::string_view ExitStatusHelp() {
  return "Exit status:\n"
         "  0  installed (or uninstalled)\n"
         "  1  a start-up check failed (the message said why)\n"
         "  2  bad command line, or no usable front-end\n"
         "  3  ended by a fatal message\n"
         "  5  ended by an error (an error report was written)\n"
         "  6  cancelled\n"
         "  7  the setup script reported a failure\n"
         "  8  unattended: a page kept Next disabled (unusable drive, too little space)\n"
         "\n"
         "  WIZPAK_DEBUG_DUMP=FILE  after set-up, write the package and setup record\n"
         "                          summary to FILE ('-' for stderr)\n";
}

int ExitStatusFor(WizardOutcome outcome) {
  switch (outcome) {
    case WizardOutcome::Finished:
      return kExitDone;
    case WizardOutcome::FailureReported:
      return kExitFailureReported;
    case WizardOutcome::Error:
      return kExitError;
    case WizardOutcome::Cancelled:
    case WizardOutcome::Open:
      return kExitCancelled;
  }
  return kExitCancelled;
}

std::string StuckReason(TFrmMain& wizard) {
  switch (wizard.Pages().CurrentType()) {
    case TPageType::ptInstallDir:
    case TPageType::ptPatch:
      if (!wizard.Refusal().empty()) return WideToUtf8(wizard.Refusal());
      return "Next is disabled";
    default:
      return "Next is disabled";
  }
}

int RunWizard(gui::Toolkit& toolkit, gui::MainForm& form, TFrmMain& wizard,
              const WizardRunOptions& options) {
  if (!options.dir.empty()) wizard.PresetFolder(options.dir);
  try {
    if (!wizard.SetPagesUp()) return kExitStartupStopped;
  } catch (const WizardError& error) {
    wizard.ReportError(error.what());
    return kExitError;
  }
  // A folder given on the command line that the folder page would refuse
  // ends the run at once, with the page's line.
  if (!options.dir.empty()) {
    const FolderVerdict verdict = CheckInstallFolder(options.dir);
    if (!verdict.ok()) {
      std::fprintf(stderr, "wizpak-stub: --dir=%s: %s\n", AnsiToUtf8(options.dir).c_str(),
                   WideToUtf8(wizard.RefusalLine(verdict)).c_str());
      wizard.Terminate();
      return kExitStuck;
    }
  }
  if (const char* dump = std::getenv("WIZPAK_DEBUG_DUMP"); dump && *dump) {
    WriteDebugDump(wizard, dump);
  }
  if (options.unattended) {
    form.Show();
    return RunUnattended(form, wizard);
  }
  toolkit.Run(form);
  return ExitStatusFor(wizard.Outcome());
}

}  // namespace wizpak::wizard
