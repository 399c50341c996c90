// The headless front-end: forms and windows held in memory, and a message
// loop that, unattended, presses Next through every page. Status changes of
// the verification window go to the transcript (see gui/transcript.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/frontend.h"
#include "gui/headless/headless_widgets.h"
#include "gui/widgets.h"

namespace wizpak::gui::headless {

class HeadlessMainForm : public InMemoryMainForm<HeadlessPageArea> {
 public:
  void PopupMenuBelow(Widget& anchor) override;
  void Show() override { shown_ = true; }

  bool IsShown() const { return shown_; }
  // Where the menu was last opened (anchor's lower left, form client units).
  int MenuOpenCount() const { return menu_open_count_; }

 private:
  void HideWindow() override { shown_ = false; }

  bool shown_ = false;
  int menu_open_count_ = 0;
};

class HeadlessVerifyWindow : public VerifyWindow {
 public:
  void Show() override { SetShown(true); }
  void Repaint() override { ++repaints_; }
  void Close() override { SetShown(false); }

  // Every status text in the order set (repeats of the same text dropped).
  const std::vector<std::string>& StatusHistory() const { return history_; }
  int RepaintCount() const { return repaints_; }

 private:
  // A changed status is written as a STATUS transcript line.
  void ApplyStatus(bool differs) override;

  std::vector<std::string> history_;
  int repaints_ = 0;
};

class HeadlessDebugWindow : public DebugWindow {
 public:
  RichEdit& Content() override { return content_; }
  void ShowModal() override { ++shown_; }
  int ShowCount() const { return shown_; }

 private:
  HeadlessRichEdit content_{nullptr};
  int shown_ = 0;
};

class HeadlessToolkit : public Toolkit {
 public:
  explicit HeadlessToolkit(FrontEndOptions options = {}) : options_(std::move(options)) {}

  std::string_view Name() const override { return "headless"; }
  bool ShowsWindows() const override { return false; }
  std::unique_ptr<MainForm> CreateMainForm() override;
  std::unique_ptr<VerifyWindow> CreateVerifyWindow() override;
  std::unique_ptr<DebugWindow> CreateDebugWindow() override;
  void ProcessMessages() override { ++processed_; }
  // Unattended: presses Next while it is visible and enabled, else Cancel
  // (the finish page's close, or the quit question when stuck), until the
  // form closes. Attended there is no user: the form is asked to close once.
  void Run(MainForm& form) override;

  int ProcessMessagesCount() const { return processed_; }

  // Upper bound on Next presses in one unattended run, so a page set that
  // never reaches a finish page still ends.
  static constexpr int kMaxUnattendedSteps = 1000;

 private:
  FrontEndOptions options_;
  int processed_ = 0;
};

}  // namespace wizpak::gui::headless
