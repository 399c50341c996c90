#include "tools/progress.h"

#include <cstdio>

#include "platform/terminal.h"

namespace wizpak::tools {

ProgressBar::ProgressBar(std::string label, uint64_t total)
    : label_(std::move(label)), total_(total), enabled_(platform::StderrIsTerminal()) {
  Draw();
}

ProgressBar::~ProgressBar() {
  Finish();
}

void ProgressBar::Advance(uint64_t amount) {
  done_ += amount;
  Draw();
}

void ProgressBar::Finish() {
  if (finished_) return;
  finished_ = true;
  if (enabled_ && shown_ >= 0) std::fputs("\r\033[K", stderr);
}

void ProgressBar::Draw() {
  if (!enabled_ || finished_) return;
  const int percent = total_ ? static_cast<int>(done_ * 100 / total_) : 100;
  if (percent == shown_) return;
  shown_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled,
               "##############################", kWidth - filled, "", percent);
  std::fflush(stderr);
}

}  // namespace wizpak::tools
