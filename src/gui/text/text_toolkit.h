// The terminal front-end ("text"): the wizard, the verification window, the
// debug window and the message boxes drawn in the terminal, keys for the
// buttons. Chosen when there is no display but a terminal (gui/frontend.h)
// or with --ui=text.
#pragma once

#include <memory>
#include <optional>

#include "gui/frontend.h"
#include "gui/message_box.h"
#include "gui/text/text_session.h"
#include "gui/widgets.h"

namespace wizpak::gui::text {

class TextToolkit : public Toolkit {
 public:
  // Talks to `in_fd` and `out_fd`. `escapes` unset: escape sequences when
  // the output is a terminal and TERM allows them. Answers message boxes
  // for as long as it lives (unattended: with the default answers).
  explicit TextToolkit(FrontEndOptions options, int in_fd = 0, int out_fd = 1,
                       std::optional<bool> escapes = std::nullopt);
  ~TextToolkit() override;

  std::string_view Name() const override { return "text"; }
  // The verification lines need no hold: the first page replaces them.
  bool ShowsWindows() const override { return false; }
  std::unique_ptr<MainForm> CreateMainForm() override;
  std::unique_ptr<VerifyWindow> CreateVerifyWindow() override;
  std::unique_ptr<DebugWindow> CreateDebugWindow() override;
  void SetApplicationTitle(std::u16string title) override { title_ = std::move(title); }
  const std::u16string& ApplicationTitle() const override { return title_; }
  void SetOwnWords(FrontEndWords words) override { session_->SetWords(std::move(words)); }
  // Takes Escape and Ctrl+C typed during a run and brings the screen (the
  // gauge, the status line, a changed window size) up to date.
  void ProcessMessages() override;
  // Reads keys until the form closes or the input ends.
  void Run(MainForm& form) override;

  TextSession& Session() { return *session_; }

 private:
  Answer Ask(const MessageBoxRequest& request);

  FrontEndOptions options_;
  std::unique_ptr<TextSession> session_;
  std::u16string title_;
  MessageBoxHandler previous_handler_;
};

}  // namespace wizpak::gui::text
