#include "setup/verification.h"

#include <algorithm>
#include <exception>

#include "platform/process.h"
#include "platform/system.h"

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

VerifyClock SystemVerifyClock() {
  return VerifyClock{[] { return static_cast<uint64_t>(platform::TickCount()); },
                     [](uint32_t ms) { platform::SleepMilliseconds(static_cast<int>(ms)); }};
}

VerifyOutcome RunVerification(const VerifySource& source, gui::VerifyWindow& window,
                              const VerifyClock& clock, uint32_t wait_ms) {
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
    // Sleeping in short steps rather than spinning: nothing else runs meanwhile.
    // The tick counter is 32 bits wide, so the difference is taken in 32 bits.
    const uint32_t loop_end = static_cast<uint32_t>(clock.tick_ms());
    for (uint32_t waited = 0;
         (waited = static_cast<uint32_t>(clock.tick_ms()) - loop_end) < wait_ms;) {
      clock.sleep_ms(std::min<uint32_t>(wait_ms - waited, 10));
    }
    window.Close();
  } catch (const std::exception& error) {
    outcome.kind = VerifyOutcome::Kind::Exception;
    outcome.exception_message = error.what();
  }
  return outcome;
}

}  // namespace wizpak::setup
