#include "setup/extraction_hold.h"

#include "platform/files.h"
#include "platform/process.h"

namespace wizpak::setup {

std::optional<ExtractionHold> ParseExtractionHold(std::string_view value) {
  const size_t split = value.rfind(":/");
  if (split == std::string_view::npos || split == 0) return std::nullopt;
  return ExtractionHold{std::string(value.substr(0, split)), std::string(value.substr(split + 1))};
}

void HoldExtraction(const ExtractionHold& hold, const std::function<void()>& pump) {
  platform::WriteFileAtomic(hold.release_path + ".held", "");
  while (!platform::FileExists(hold.release_path)) {
    if (pump) pump();
    // Polls a file the test creates; the window is served in between.
    platform::SleepMilliseconds(10);
  }
}

}  // namespace wizpak::setup
