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

class HeadlessMainForm : public MainForm {
 public:
  HeadlessMainForm();

  PageArea& Pages() override { return pages_; }
  Button& BackButton() override { return back_; }
  Button& NextButton() override { return next_; }
  Button& CancelButton() override { return cancel_; }
  Button& LanguageButton() override { return language_; }

  void SetCaption(std::u16string caption) override { caption_ = std::move(caption); }
  const std::u16string& Caption() const override { return caption_; }

  void SetMenuItems(std::vector<MenuItem> items) override { menu_ = std::move(items); }
  const std::vector<MenuItem>& MenuItems() const override { return menu_; }
  void CheckMenuItemWithTag(int tag) override;
  void PopupMenuBelow(Widget& anchor) override;

  void SetOnCloseQuery(std::function<bool()> on_close_query) override {
    on_close_query_ = std::move(on_close_query);
  }
  void SetOnClose(std::function<void()> on_close) override { on_close_ = std::move(on_close); }
  bool Close() override;
  bool IsClosed() const override { return closed_; }
  void Show() override { shown_ = true; }

  bool IsShown() const { return shown_; }
  // Chooses item `index` of the menu as the user would; false when out of range.
  bool ChooseMenuItem(size_t index);
  // Where the menu was last opened (anchor's lower left, form client units).
  int MenuOpenCount() const { return menu_open_count_; }

 private:
  HeadlessPageArea pages_;
  HeadlessButton back_{nullptr};
  HeadlessButton next_{nullptr};
  HeadlessButton cancel_{nullptr};
  HeadlessButton language_{nullptr};
  std::u16string caption_;
  std::vector<MenuItem> menu_;
  std::function<bool()> on_close_query_;
  std::function<void()> on_close_;
  bool closed_ = false;
  bool shown_ = false;
  int menu_open_count_ = 0;
};

class HeadlessVerifyWindow : public VerifyWindow {
 public:
  // A changed status is written as a STATUS transcript line.
  void SetStatus(std::string_view text) override;
  const std::string& Status() const override { return status_; }
  void SetProgressMax(int64_t max) override { max_ = max; }
  void SetProgressPosition(int64_t position) override { position_ = position; }
  int64_t ProgressMax() const override { return max_; }
  int64_t ProgressPosition() const override { return position_; }
  void Show() override { shown_ = true; }
  void Repaint() override { ++repaints_; }
  void Close() override { shown_ = false; }
  bool IsShown() const override { return shown_; }

  // Every status text in the order set (repeats of the same text dropped).
  const std::vector<std::string>& StatusHistory() const { return history_; }
  int RepaintCount() const { return repaints_; }

 private:
  std::string status_ = "Status: 0 out of 0 files verifyed";
  std::vector<std::string> history_;
  int64_t max_ = 100;
  int64_t position_ = 0;
  bool shown_ = false;
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
  void SetApplicationTitle(std::u16string title) override { title_ = std::move(title); }
  const std::u16string& ApplicationTitle() const override { return title_; }
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
  std::u16string title_;
  int processed_ = 0;
};

}  // namespace wizpak::gui::headless
