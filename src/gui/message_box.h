// Modal message boxes and the fatal application exit, as every unit calls
// them (the stand-in for MessageBoxA / MessageBoxW / FatalAppExitA). The
// active front-end answers them; until one is installed the headless
// behaviour applies: the box is written to the transcript (WIZPAK_TRANSCRIPT)
// or, without one, as one line to standard error, and answered from
// WIZPAK_ANSWERS, else with the default answer. A fatal message without a
// front-end is one line on standard error.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace wizpak::gui {

enum class Buttons { Ok, OkCancel, YesNo, RetryCancel };
enum class Icon { None, Question, Warning, Error, Information };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// Texts are ANSI (Windows-1252); "\r" breaks lines as on Windows.
Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons = Buttons::Ok,
                  Icon icon = Icon::None);
// Wide-text variant (language strings).
Answer MessageBoxW(std::u16string_view text, std::u16string_view caption,
                   Buttons buttons = Buttons::Ok, Icon icon = Icon::None);

// Shows `message` and ends the process with exit status 3.
[[noreturn]] void FatalExit(std::string_view message);

// Button captions in the wizard's language (UTF-8, "&" before the Alt
// letter); an empty one leaves the front-end's English caption.
struct ButtonCaptions {
  std::string ok, cancel, yes, no, retry;
};

// What a front-end installs to answer boxes. Texts arrive as UTF-8.
struct MessageBoxRequest {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  // The program ends right after this box (FatalExit), without unwinding.
  bool fatal = false;
  ButtonCaptions captions;
};
using MessageBoxHandler = std::function<Answer(const MessageBoxRequest&)>;
// Replaces the handler; returns the previous one. An empty handler restores
// the headless default.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The name messages on standard error start with: the program's file name
// as started (argument 0 without its folder), "wizpak-stub" when unknown.
std::string ProgramNameForMessages();

// `text` on one line: line breaks become one blank, other control
// characters a blank, trailing blanks dropped.
std::string OneLine(std::string_view text);

// The captions every later box carries (the wizard sets them when its
// language changes); returns the previous ones.
ButtonCaptions SetMessageBoxCaptions(ButtonCaptions captions);

// The headless answer: the next queued WIZPAK_ANSWERS word that fits the
// buttons, else Ok / Ok / Yes / Cancel for the four button sets.
Answer HeadlessAnswer(const MessageBoxRequest& request);

}  // namespace wizpak::gui
