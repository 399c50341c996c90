#include "wizard/wizard_run.h"

#include <cstdio>
#include <cstdlib>

#include "platform/codepage.h"
#include "platform/files.h"
#include "gui/message_box.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "text/folder_rules.h"
#include "text/number_format.h"
#include "text/run_texts.h"
#include "text/status_progress.h"
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

// The one progress line an unattended run shows on a terminal: page,
// status and percentage, redrawn in place; ended with a line break when the
// run ends. Drawn after every Next and from the progress hook, which the
// long steps call every few percent.
class UnattendedProgressLine {
 public:
  explicit UnattendedProgressLine(TFrmMain& wizard)
      : wizard_(wizard), status_(wizard.Texts().status), on_(platform::StderrIsTerminal()) {
    if (!on_) return;
    previous_hook_ = status_.ProgressHook;
    status_.ProgressHook = [this] {
      if (previous_hook_) previous_hook_();
      Draw();
    };
  }
  ~UnattendedProgressLine() {
    if (!on_) return;
    status_.ProgressHook = std::move(previous_hook_);
    if (drawn_) std::fputs("\n", stderr);
  }
  UnattendedProgressLine(const UnattendedProgressLine&) = delete;
  UnattendedProgressLine& operator=(const UnattendedProgressLine&) = delete;

  void Draw() {
    if (!on_) return;
    const TSEPageControl& pages = wizard_.Pages();
    std::string line = gui::ProgramNameForMessages() + ": page " +
                       std::to_string(pages.CurrentPage + 1) + "/" +
                       std::to_string(pages.PageCount()) + " (" +
                       std::string(PageTypeWord(pages.CurrentType())) + ")";
    const gui::Label* status_label = wizard_.Status().StatusLabel;
    if (status_label && !status_label->Text().empty())
      line += " " + gui::OneLine(WideToUtf8(status_label->Text()));
    if (status_.ProgressTotal > 0) line += " " + std::to_string(status_.ProgressPercent()) + "%";
    // Carriage return, the line, and clear what a longer line left.
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    drawn_ = true;
  }

  // Before another line goes to stderr: end the progress line first.
  void Break() {
    if (on_ && drawn_) std::fputs("\n", stderr);
    drawn_ = false;
  }

 private:
  TFrmMain& wizard_;
  StatusView& status_;
  bool on_;
  bool drawn_ = false;
  std::function<void()> previous_hook_;
};

// Presses Next while it can; returns the exit status.
int RunUnattended(gui::MainForm& form, TFrmMain& wizard) {
  UnattendedProgressLine progress(wizard);
  progress.Draw();
  // Each press moves one page on or ends the run, so the page count bounds
  // the presses; the margin covers pages that are entered twice.
  const int limit = 4 * wizard.Pages().PageCount() + 16;
  for (int presses = 0; !form.IsClosed(); ++presses) {
    gui::Button& next = form.NextButton();
    const int before = wizard.Pages().CurrentPage;
    if (next.Visible() && next.Enabled() && presses < limit) {
      next.Click();
      if (!form.IsClosed()) progress.Draw();
      if (!form.IsClosed() && wizard.Pages().CurrentPage == before &&
          wizard.Pages().CurrentType() != TPageType::ptFinish) {
        progress.Break();
        std::fprintf(stderr,
                     "%s: unattended setup stopped on page %d (%s): the page set "
                     "has no page after it\n",
                     gui::ProgramNameForMessages().c_str(), before,
                     std::string(PageTypeWord(wizard.Pages().CurrentType())).c_str());
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
    progress.Break();
    std::fprintf(stderr, "%s: unattended setup stopped on page %d (%s): %s\n",
                 gui::ProgramNameForMessages().c_str(), wizard.Pages().CurrentPage,
                 std::string(PageTypeWord(wizard.Pages().CurrentType())).c_str(),
                 StuckReason(wizard).c_str());
    wizard.Terminate();
    return kExitStuck;
  }
  const int status = ExitStatusFor(wizard.Outcome());
  progress.Break();
  // Nobody watches an unattended run: how it ended goes to stderr too.
  const std::string program = gui::ProgramNameForMessages();
  if (status == kExitFailureReported) {
    const gui::Label* sub_status = wizard.Status().SubStatusLabel;
    std::string why = sub_status ? WideToUtf8(sub_status->Text()) : "";
    std::fprintf(stderr, "%s: the setup script reported a failure%s%s\n", program.c_str(),
                 why.empty() ? "" : ": ", gui::OneLine(why).c_str());
  } else if (status == kExitCancelled) {
    std::fprintf(stderr, "%s: the setup was cancelled\n", program.c_str());
  } else if (status == kExitError) {
    std::fprintf(stderr, "%s: the setup ended with an error (see the error report)\n",
                 program.c_str());
  }
  return status;
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
      std::fprintf(stderr, "%s: --dir=%s: %s\n", gui::ProgramNameForMessages().c_str(),
                   AnsiToUtf8(options.dir).c_str(),
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
