#include "gui/text/text_toolkit.h"

#include <cstdio>

#include "gui/text/terminal.h"
#include "gui/text/text_windows.h"
#include "gui/transcript.h"

namespace wizpak::gui::text {
namespace {

// How often the idle wizard looks at the window size.
constexpr int kIdleCheckMs = 250;

bool OutputIsTerminal(int out_fd) {
  return Terminal(out_fd, out_fd).OutputIsTerminal();
}

}  // namespace

TextToolkit::TextToolkit(FrontEndOptions options, int in_fd, int out_fd,
                         std::optional<bool> escapes)
    : options_(std::move(options)) {
  const bool use_escapes = escapes ? *escapes : TermAllowsEscapes() && OutputIsTerminal(out_fd);
  session_ = std::make_unique<TextSession>(in_fd, out_fd, use_escapes);
  previous_handler_ =
      SetMessageBoxHandler([this](const MessageBoxRequest& request) { return Ask(request); });
}

TextToolkit::~TextToolkit() {
  SetMessageBoxHandler(std::move(previous_handler_));
  session_->Shutdown();
}

Answer TextToolkit::Ask(const MessageBoxRequest& request) {
  if (options_.unattended) {
    // Nobody answers: the default answers, as headless runs take them.
    const Answer answer = HeadlessAnswer(request);
    TranscriptMessageBox(request, answer);
    return answer;
  }
  const Answer answer = session_->AskMessageBox(request);
  if (request.fatal) {
    // The program ends right after this box without unwinding: give the
    // terminal back first, and leave the message on the normal screen.
    session_->Shutdown();
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  }
  return answer;
}

std::unique_ptr<MainForm> TextToolkit::CreateMainForm() {
  return std::make_unique<TextMainForm>(*session_);
}

std::unique_ptr<VerifyWindow> TextToolkit::CreateVerifyWindow() {
  return std::make_unique<TextVerifyWindow>(*session_);
}

std::unique_ptr<DebugWindow> TextToolkit::CreateDebugWindow() {
  return std::make_unique<TextDebugWindow>(*session_);
}

void TextToolkit::ProcessMessages() {
  session_->ProcessInterrupts();
  session_->Redraw();
}

void TextToolkit::Run(MainForm& main_form) {
  auto& form = static_cast<TextMainForm&>(main_form);
  form.Show();
  while (!form.IsClosed()) {
    if (session_->InputEnded()) {
      // Nobody is left to answer: close as the close button would (its
      // question takes its Escape answer) and stop waiting either way.
      form.Close();
      break;
    }
    if (!session_->Escapes()) {
      form.PlainStep();
      continue;
    }
    session_->Redraw();
    const std::optional<Key> key = session_->WaitKey(kIdleCheckMs);
    if (key) form.HandleKey(*key);
  }
}

}  // namespace wizpak::gui::text
