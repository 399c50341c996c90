// One terminal session of the text front-end: the screen (a frame of cell
// lines written as the difference to what is shown, redrawn in full after a
// resize), the keys typed (including those typed ahead), and the modal
// prompts every window shares: message boxes, the numbered menu, a line
// prompt, the pager. With escape sequences the session owns the alternate
// screen; without (TERM dumb or unset, or output that is not a terminal) it
// writes plain lines and numbered prompts.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/front_end_words.h"
#include "gui/message_box.h"
#include "gui/text/cells.h"
#include "gui/text/error_capture.h"
#include "gui/text/keys.h"
#include "gui/text/terminal.h"

namespace wizpak::gui::text {

struct Frame {
  std::vector<CellLine> rows;  // one per screen row
  int cursor_row = -1;         // -1: cursor hidden
  int cursor_column = 0;
  int Width() const { return width; }
  int Height() const { return static_cast<int>(rows.size()); }
  int width = 80;
};

// The window that takes Escape and Ctrl+C while work runs and no prompt
// waits for keys (the wizard during an installation).
class InterruptTarget {
 public:
  virtual ~InterruptTarget() = default;
  virtual void Interrupt(const Key& key) = 0;
};

class TextSession {
 public:
  // `escapes` false: plain lines. Enters raw input mode (and, with escapes,
  // the alternate screen) at once.
  TextSession(int in_fd, int out_fd, bool escapes);
  ~TextSession();
  TextSession(const TextSession&) = delete;
  TextSession& operator=(const TextSession&) = delete;

  bool Escapes() const { return escapes_; }
  // The words of prompts and hints, in the wizard's language.
  const FrontEndWords& Words() const { return words_; }
  void SetWords(FrontEndWords words) { words_ = std::move(words); }
  // LeaveScreen, and restores the input mode.
  void Shutdown();
  // Leaves the alternate screen and gives standard error back, writing out
  // what it received meanwhile. Later output goes to the normal screen as
  // plain lines, until Resume. Keys are still read one by one: typed ahead,
  // they wait for the next window.
  void LeaveScreen();
  // Takes the terminal again as the session began (a window shown after an
  // earlier one gave it back); nothing while it is taken.
  void Resume();
  // The newest line written to standard error while the screen is ours
  // ("" when none); the screen shows it under its title.
  const std::string& LastErrorLine() const { return last_error_line_; }

  // ---- screen (escapes only; without them these do nothing)
  using Painter = std::function<void(Frame&)>;
  // What fills the screen below any prompt: the wizard or the verification
  // window. Null: an empty screen.
  // `owner` identifies the window; ClearBase(owner) removes only its own.
  void SetBase(const void* owner, Painter painter) {
    base_owner_ = owner;
    base_ = std::move(painter);
  }
  void ClearBase(const void* owner) {
    if (base_owner_ != owner) return;
    base_owner_ = nullptr;
    base_ = nullptr;
  }
  // Brings the screen up to date (and notices a changed size).
  void Redraw();
  // The next Redraw writes every row.
  void Invalidate() { full_ = true; }
  TerminalSize Size() const { return terminal_.Size(); }

  // ---- plain output
  void Write(std::string_view bytes) { terminal_.Write(bytes); }
  void PrintLine(const CellLine& line);
  void PrintLines(const std::vector<CellLine>& lines);

  // ---- keys
  // The next key: typed ahead first, then from the terminal; nullopt when
  // `timeout_ms` passes first. At the end of input: EndOfInput, from then on.
  std::optional<Key> WaitKey(int timeout_ms);
  // Reads what has been typed without waiting, onto the typed-ahead queue.
  void PollInput();
  std::deque<Key>& TypedAhead() { return typed_ahead_; }
  bool InputEnded() const { return input_ended_ && typed_ahead_.empty() && !decoder_.Pending(); }
  bool InputIsTerminal() const { return terminal_.InputIsTerminal(); }
  // Reads what was typed and hands the first Escape or Ctrl+C to the
  // interrupt target; other keys stay typed ahead.
  void ProcessInterrupts();
  void SetInterruptTarget(InterruptTarget* target) { interrupt_target_ = target; }
  InterruptTarget* Target() const { return interrupt_target_; }
  // A line typed at a plain prompt (echoed when input is a terminal); nullopt
  // for Escape, Ctrl+C or the end of input.
  std::optional<std::u16string> ReadPlainLine();

  // ---- prompts
  Answer AskMessageBox(const MessageBoxRequest& request);
  // Index of the item chosen, or -1. `current` is marked and the default.
  int ChooseFromMenu(const std::u16string& title, const std::vector<std::u16string>& items,
                     int current);
  // Edits `text`; nullopt when left with Escape. `info` is shown above the
  // input; Tab replaces it with `on_tab(text)` when given.
  std::optional<std::u16string> PromptLine(
      const std::u16string& title, const std::u16string& text, const std::vector<CellLine>& info,
      const std::function<std::vector<CellLine>(const std::u16string&)>& on_tab = nullptr);
  // Shows `lines` to be scrolled through; returns when the person leaves.
  void ShowReader(const std::u16string& title, const std::vector<CellLine>& lines);

  // Draws a box over the bottom rows of `frame`: a title in its top edge,
  // then `body`. Returns the screen row of the first body line.
  static int DrawBottomBox(Frame& frame, const std::u16string& title,
                           const std::vector<CellLine>& body);

 private:
  void Present(const Frame& frame);
  // Runs `overlay` over the base until `done` says so after a key.
  void Modal(const Painter& overlay, const std::function<bool(const Key&)>& on_key);

  Terminal terminal_;
  KeyDecoder decoder_;
  std::deque<Key> typed_ahead_;
  int out_fd_;
  bool may_escape_;       // escape sequences chosen for this terminal
  bool escapes_ = false;  // ... and in use: until Shutdown, again after Resume
  bool active_ = false;   // alternate screen entered
  bool input_ended_ = false;
  bool full_ = true;
  TerminalSize shown_size_;
  std::vector<std::string> shown_;
  const void* base_owner_ = nullptr;
  Painter base_;
  Painter overlay_;
  InterruptTarget* interrupt_target_ = nullptr;
  FrontEndWords words_;
  std::unique_ptr<ErrorCapture> errors_;  // while the alternate screen is ours
  std::string last_error_line_;
};

}  // namespace wizpak::gui::text
