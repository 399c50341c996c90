// What the program writes to standard error while the terminal wizard owns
// the screen. Such lines (a rolled-back run says so there) would be drawn
// over the wizard and vanish with the alternate screen; while captured they
// go to an anonymous in-memory file instead, the wizard shows them, and they
// are written to the real standard error once the screen is left.
#pragma once

#include <string>
#include <vector>

namespace wizpak::gui::text {

class ErrorCapture {
 public:
  // Captures standard error when it writes to the same terminal as
  // `screen_fd`; otherwise (a file, a pipe, another terminal) leaves it.
  explicit ErrorCapture(int screen_fd);
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  bool Active() const { return saved_ >= 0; }
  // The lines completed since the last call (without their line ends).
  std::vector<std::string> NewLines();
  // Gives standard error back and writes to it everything captured. Safe to
  // call twice.
  void Release();

 private:
  int memory_ = -1;  // the in-memory file standard error writes to
  int saved_ = -1;   // the real standard error
  long long read_ = 0;
  std::string partial_;
};

}  // namespace wizpak::gui::text
