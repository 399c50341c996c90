#include "setup/verification.h"

#include <algorithm>
#include <exception>

#include "platform/process.h"

namespace wizpak::setup {

std::string VerifyStatusText(uint64_t done, uint64_t count) {
  return "Status: " + std::to_string(done) + " out of " + std::to_string(count) + " files verifyed";
}

std::string VerificationFailedMessage(uint32_t index, std::string_view name) {
  std::string text = "Error: Verification Failed. Setup is corrupt.\rID: " + std::to_string(index);
  text += " Filename: ";
  text += name;
  return text;
}

VerifyOutcome RunVerification(const VerifySource& source, gui::VerifyWindow& window,
                              const std::function<uint64_t()>& tick_ms, uint32_t wait_ms) {
  VerifyOutcome outcome;
  const uint32_t count = source.count;
  window.SetStatus(VerifyStatusText(0, count));
  window.SetProgressPosition(0);
  window.SetProgressMax(count);
  window.Repaint();
  try {
    int64_t last_percent = 0;
    for (uint32_t i = 0; i < count; ++i) {
      if (source.orig_size(i) > 0 && !source.verify_entry(i)) {
        outcome.kind = VerifyOutcome::Kind::Failed;
        outcome.failed_index = i;
        outcome.failed_name = source.name(i);
        return outcome;
      }
      // The whole percentage, in integers so that 290 of 1000 is exactly 29.
      const int64_t percent = static_cast<int64_t>(i) * 100 / count;
      if (percent > last_percent) {
        window.SetStatus(VerifyStatusText(static_cast<uint64_t>(i) + 1, count));
        window.SetProgressPosition(static_cast<int64_t>(i) + 1);
        window.Repaint();
        last_percent = percent;
      }
    }
    const uint64_t loop_end = tick_ms();
    // Sleeping in short steps rather than spinning: nothing else runs meanwhile.
    for (uint64_t waited = 0; (waited = tick_ms() - loop_end) < wait_ms;) {
      platform::SleepMilliseconds(static_cast<int>(std::min<uint64_t>(wait_ms - waited, 10)));
    }
    window.Close();
  } catch (const std::exception& error) {
    outcome.kind = VerifyOutcome::Kind::Exception;
    outcome.exception_message = error.what();
  }
  return outcome;
}

}  // namespace wizpak::setup
