// A one-line progress bar on standard error, drawn only when it is a
// terminal, for the long work of the wizpak tool.
#pragma once

#include <cstdint>
#include <string>

namespace wizpak::tools {

class ProgressBar {
 public:
  ProgressBar(std::string label, uint64_t total);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Advance(uint64_t amount);
  void Finish();

 private:
  void Draw();
  std::string label_;
  uint64_t total_;
  uint64_t done_ = 0;
  int shown_ = -1;
  bool enabled_;
  bool finished_ = false;
};

}  // namespace wizpak::tools
