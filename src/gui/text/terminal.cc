#include "gui/text/terminal.h"

#include <errno.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace wizpak::gui::text {

struct Terminal::Saved {
  termios mode{};
};

Terminal::Terminal(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {
  input_tty_ = isatty(in_fd_) == 1;
  output_tty_ = isatty(out_fd_) == 1;
}

Terminal::~Terminal() {
  RestoreMode();
}

void Terminal::EnterRawMode() {
  if (!input_tty_ || raw_) return;
  if (!saved_) saved_ = std::make_unique<Saved>();
  if (tcgetattr(in_fd_, &saved_->mode) != 0) return;
  termios raw = saved_->mode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
  raw.c_iflag |= ICRNL;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(in_fd_, TCSANOW, &raw) == 0) raw_ = true;
}

void Terminal::RestoreMode() {
  if (!raw_ || !saved_) return;
  tcsetattr(in_fd_, TCSANOW, &saved_->mode);
  raw_ = false;
}

TerminalSize Terminal::Size() const {
  TerminalSize size;
  winsize ws{};
  if (ioctl(out_fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
    size.columns = ws.ws_col;
    size.rows = ws.ws_row;
    return size;
  }
  if (const char* columns = std::getenv("COLUMNS")) {
    const int v = std::atoi(columns);
    if (v > 0 && v < 10000) size.columns = v;
  }
  if (const char* lines = std::getenv("LINES")) {
    const int v = std::atoi(lines);
    if (v > 0 && v < 10000) size.rows = v;
  }
  return size;
}

void Terminal::Write(std::string_view bytes) const {
  while (!bytes.empty()) {
    const ssize_t n = write(out_fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

ReadResult Terminal::Read(std::string& out, int timeout_ms) {
  pollfd pfd{};
  pfd.fd = in_fd_;
  pfd.events = POLLIN;
  int ready;
  do {
    ready = poll(&pfd, 1, timeout_ms < 0 ? -1 : timeout_ms);
  } while (ready < 0 && errno == EINTR);
  if (ready == 0) return ReadResult::Timeout;
  if (ready < 0) return ReadResult::EndOfInput;
  char buffer[256];
  ssize_t n;
  do {
    n = read(in_fd_, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return ReadResult::EndOfInput;
  out.append(buffer, static_cast<size_t>(n));
  return ReadResult::Data;
}

bool TermAllowsEscapes() {
  const char* term = std::getenv("TERM");
  return term && *term && std::strcmp(term, "dumb") != 0;
}

}  // namespace wizpak::gui::text
