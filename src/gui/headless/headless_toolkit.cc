#include "gui/headless/headless_toolkit.h"

#include <cstdio>

#include "gui/transcript.h"
#include "platform/codepage.h"

namespace wizpak::gui::headless {

void HeadlessMainForm::PopupMenuBelow(Widget&) {
  ++menu_open_count_;
}

void HeadlessVerifyWindow::ApplyStatus(bool differs) {
  if (!differs && !history_.empty()) return;
  history_.push_back(Status());
  TranscriptStatus(AnsiToUtf8(Status()));
}

std::unique_ptr<MainForm> HeadlessToolkit::CreateMainForm() {
  return std::make_unique<HeadlessMainForm>();
}

std::unique_ptr<VerifyWindow> HeadlessToolkit::CreateVerifyWindow() {
  return std::make_unique<HeadlessVerifyWindow>();
}

std::unique_ptr<DebugWindow> HeadlessToolkit::CreateDebugWindow() {
  return std::make_unique<HeadlessDebugWindow>();
}

void HeadlessToolkit::Run(MainForm& form) {
  form.Show();
  if (!options_.unattended) {
    form.Close();
    return;
  }
  int steps = 0;
  while (!form.IsClosed()) {
    Button& next = form.NextButton();
    if (steps < kMaxUnattendedSteps && next.Visible() && next.Enabled()) {
      ++steps;
      next.Click();
      continue;
    }
    Button& cancel = form.CancelButton();
    const bool pressed = cancel.Visible() && cancel.Enabled() && cancel.Click();
    if (form.IsClosed()) break;
    // Neither button moves the wizard on: ask to close directly, and give up
    // rather than loop for ever.
    if (!pressed && form.Close()) break;
    std::fprintf(stderr, "headless: the wizard cannot go on unattended; stopping\n");
    return;
  }
}

}  // namespace wizpak::gui::headless
