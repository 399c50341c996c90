// The commands that steer the run: "goto", "iffileexists", "messagebox",
// "message" and "failure".
#include "gui/message_box.h"
#include "platform/files.h"
#include "script/commands.h"
#include "script/run_services.h"
#include "script/script_run.h"
#include "script/setup_run.h"

namespace wizpak {
namespace {

const TCompLine* LineAt(const SetupRun& setup_run, int lineIndex) {
  return setup_run.lines.At(lineIndex);
}

constexpr int kFailureText = 23;  // "Setup failed to install."

}  // namespace

void TGotoCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  // The next line run is the one after the target label line.
  const int32_t target = run::ParseTarget(line->Param(0));
  if (target >= 0) setup_run.script.CurrentLine = target;
}

void TIfFileExistsCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const int32_t present_target = run::ParseTarget(line->Param(1));
  const int32_t absent_target = run::ParseTarget(line->Param(2));
  // A folder at the path counts as absent: only files are asked about.
  const bool present = platform::FileExists(run::ExpandPath(setup_run, line->Param(0)));
  TScriptRun& state = setup_run.script;
  if (present && present_target >= 0) state.CurrentLine = present_target;
  if (!present && absent_target >= 0) state.CurrentLine = absent_target;
}

void TMessageBoxCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const int32_t ok_target = run::ParseTarget(line->Param(2));
  const int32_t cancel_target = run::ParseTarget(line->Param(3));
  const std::string caption = run::ExpandText(setup_run, line->Param(1));
  const std::string text = run::ExpandText(setup_run, line->Param(0));
  const gui::Answer answer =
      gui::MessageBox(text, caption, gui::Buttons::OkCancel, gui::Icon::Question);
  // Here a target jumps to the label line itself (which does nothing); 0
  // never jumps.
  TScriptRun& state = setup_run.script;
  if (answer == gui::Answer::Ok) {
    if (ok_target > 0) state.CurrentLine = ok_target - 1;
  } else if (cancel_target > 0) {
    state.CurrentLine = cancel_target - 1;
  }
}

void TMessageCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  run::ShowStatusText(setup_run, run::ExpandLanguageTags(setup_run, line->Param(0)));
}

void TFailureCommand::Execute(SetupRun& setup_run, int) const {
  run::ShowSubStatusText(setup_run, run::LanguageString(setup_run, kFailureText));
  setup_run.script.StopScript = true;
}

}  // namespace wizpak
