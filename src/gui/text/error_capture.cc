#include "gui/text/error_capture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace wizpak::gui::text {
namespace {

bool SameTerminal(int a, int b) {
  if (isatty(a) != 1 || isatty(b) != 1) return false;
  struct stat sa {
  }, sb{};
  return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_rdev == sb.st_rdev;
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n <= 0) return;
    data += n;
    size -= static_cast<size_t>(n);
  }
}

}  // namespace

ErrorCapture::ErrorCapture(int screen_fd) {
  if (!SameTerminal(STDERR_FILENO, screen_fd)) return;
  // Whatever stdio holds must reach the terminal before the switch.
  std::fflush(stderr);
  memory_ = memfd_create("wizpak-stderr", MFD_CLOEXEC);
  if (memory_ < 0) return;
  saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  if (saved_ < 0 || dup2(memory_, STDERR_FILENO) < 0) {
    if (saved_ >= 0) close(saved_);
    saved_ = -1;
    close(memory_);
    memory_ = -1;
  }
}

ErrorCapture::~ErrorCapture() {
  Release();
}

std::vector<std::string> ErrorCapture::NewLines() {
  std::vector<std::string> lines;
  if (memory_ < 0) return lines;
  std::fflush(stderr);
  char buffer[4096];
  while (true) {
    const ssize_t n = pread(memory_, buffer, sizeof buffer, static_cast<off_t>(read_));
    if (n <= 0) break;
    read_ += n;
    for (ssize_t k = 0; k < n; ++k) {
      if (buffer[k] == '\n') {
        lines.push_back(std::move(partial_));
        partial_.clear();
      } else if (buffer[k] != '\r') {
        partial_ += buffer[k];
      }
    }
  }
  return lines;
}

void ErrorCapture::Release() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  close(saved_);
  saved_ = -1;
  char buffer[4096];
  off_t at = 0;
  while (true) {
    const ssize_t n = pread(memory_, buffer, sizeof buffer, at);
    if (n <= 0) break;
    WriteAll(STDERR_FILENO, buffer, static_cast<size_t>(n));
    at += n;
  }
  close(memory_);
  memory_ = -1;
}

}  // namespace wizpak::gui::text
