// The verification pass: every package entry is checked in directory order
// while the verification window shows how far it got. The status text and
// bar change at most once per whole percentage point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gui/widgets.h"

namespace wizpak::setup {

// What the pass needs of the package, so it can be driven without one.
struct VerifySource {
  uint32_t count = 0;
  std::function<uint32_t(uint32_t index)> orig_size;
  std::function<std::string(uint32_t index)> name;
  // May throw (an entry whose checksum matched but which does not inflate).
  std::function<bool(uint32_t index)> verify_entry;
};

struct VerifyOutcome {
  enum class Kind { Passed, Failed, Exception } kind = Kind::Passed;
  uint32_t failed_index = 0;
  std::string failed_name;
  std::string exception_message;  // for Kind::Exception
};

// "Status: " + done + " out of " + count + " files verifyed"
std::string VerifyStatusText(uint64_t done, uint64_t count);
// The message for a failed entry.
std::string VerificationFailedMessage(uint32_t index, std::string_view name);

// Milliseconds the window stays up after the last entry.
constexpr uint32_t kVerifyMinimumMs = 500;

// The clock the pass waits on; tests pass their own.
struct VerifyClock {
  std::function<uint64_t()> tick_ms;
  std::function<void(uint32_t ms)> sleep_ms;
};
// The system tick counter and a real sleep.
VerifyClock SystemVerifyClock();

// Runs the pass on `window` (already shown with "Loading Header"). After the
// loop it waits until `wait_ms` milliseconds have passed on the clock; on
// Passed it closes the window.
VerifyOutcome RunVerification(const VerifySource& source, gui::VerifyWindow& window,
                              const VerifyClock& clock, uint32_t wait_ms = kVerifyMinimumMs);

}  // namespace wizpak::setup
