#include "gui/headless/headless_toolkit.h"

#include <cstdio>

#include "gui/transcript.h"
#include "platform/codepage.h"

namespace wizpak::gui::headless {

HeadlessMainForm::HeadlessMainForm() {
  pages_.SetBounds({0, 0, kClientWidth, kPageAreaHeight});
  pages_.SetColour(kWhite);
  struct Layout {
    HeadlessButton& button;
    const char* name;
    const char16_t* caption;
    Rect bounds;
  };
  const Layout layouts[] = {
      {language_, "LanguageButton", u"English", {8, 384, 89, 25}},
      {back_, "BackButton", u"< Back", {344, 384, 73, 25}},
      {next_, "NextButton", u"Next >", {416, 384, 73, 25}},
      {cancel_, "CancelButton", u"Cancel", {496, 384, 75, 25}},
  };
  for (const Layout& l : layouts) {
    l.button.SetName(l.name);
    l.button.SetText(l.caption);
    l.button.SetBounds(l.bounds);
  }
  language_.SetDropDownMark(true);
}

void HeadlessMainForm::CheckMenuItemWithTag(int tag) {
  for (MenuItem& item : menu_) item.checked = item.tag == tag;
}

void HeadlessMainForm::PopupMenuBelow(Widget&) {
  ++menu_open_count_;
}

bool HeadlessMainForm::ChooseMenuItem(size_t index) {
  if (index >= menu_.size()) return false;
  auto handler = menu_[index].on_click;
  if (handler) handler();
  return true;
}

bool HeadlessMainForm::Close() {
  if (closed_) return true;
  if (on_close_query_ && !on_close_query_()) return false;
  closed_ = true;
  shown_ = false;
  if (on_close_) on_close_();
  return true;
}

void HeadlessVerifyWindow::SetStatus(std::string_view text) {
  if (text == status_ && !history_.empty()) return;
  status_.assign(text.begin(), text.end());
  history_.push_back(status_);
  TranscriptStatus(AnsiToUtf8(status_));
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
