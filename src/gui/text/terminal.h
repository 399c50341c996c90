// The terminal the text front-end talks to: its two file descriptors, the
// raw input mode (no line buffering, no echo, Ctrl+C as a key) and its
// restoration, the window size, waiting for input and writing output. The
// only code of the front-end that calls termios, ioctl and poll.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace wizpak::gui::text {

struct TerminalSize {
  int columns = 80;
  int rows = 24;
  bool operator==(const TerminalSize&) const = default;
};

enum class ReadResult { Data, Timeout, EndOfInput };

class Terminal {
 public:
  Terminal(int in_fd, int out_fd);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool InputIsTerminal() const { return input_tty_; }
  bool OutputIsTerminal() const { return output_tty_; }

  // Keys arrive one by one and unechoed; Ctrl+C, Ctrl+Z and Ctrl+S are
  // keys, not signals. Nothing happens when input is not a terminal.
  void EnterRawMode();
  // Puts back the mode found at EnterRawMode. Safe to call twice.
  void RestoreMode();

  // The output's window size; COLUMNS/LINES, else 80 x 24, when it has none.
  TerminalSize Size() const;

  // Writes all of `bytes` (retrying short writes); errors are ignored, as
  // there is nowhere left to report them.
  void Write(std::string_view bytes) const;

  // Waits up to `timeout_ms` (negative: no limit) for input and appends what
  // is there to `out`.
  ReadResult Read(std::string& out, int timeout_ms);

 private:
  int in_fd_;
  int out_fd_;
  bool input_tty_ = false;
  bool output_tty_ = false;
  bool raw_ = false;
  struct Saved;
  std::unique_ptr<Saved> saved_;  // the termios state to restore
};

// Whether TERM names a terminal that takes escape sequences (set and not
// "dumb").
bool TermAllowsEscapes();

}  // namespace wizpak::gui::text
