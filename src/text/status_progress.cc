#include "text/status_progress.h"

#include <cmath>
#include <limits>
#include <string>

#include "gui/grad_gauge.h"
#include "gui/transcript.h"
#include "platform/codepage.h"
#include "platform/system.h"
#include "gui/widgets.h"
#include "text/shared_state.h"

namespace wizpak {
namespace {

void SetCaption(gui::Label* label, std::u16string_view text, bool repaint) {
  if (label == nullptr) return;
  label->SetText(std::u16string(text));
  if (repaint) label->Repaint();
}

}  // namespace

void ShowStatus(std::u16string_view text, bool repaint) {
  if (ActiveStatusLabel == nullptr) return;
  // The headless transcript records every change of the status caption.
  if (ActiveStatusLabel->Text() != text) gui::TranscriptStatus(WideToUtf8(text));
  if (repaint) {
    const uint32_t now = StatusRepaintClock ? StatusRepaintClock() : platform::TickCount();
    // Differences in 32 bits: the tick count wraps.
    if (StatusRepainted && now - StatusRepaintTick < kStatusRepaintIntervalMs) {
      repaint = false;
    } else {
      StatusRepaintTick = now;
      StatusRepainted = true;
    }
  }
  SetCaption(ActiveStatusLabel, text, repaint);
}

void ShowSubStatus(std::u16string_view text, bool repaint) {
  SetCaption(ActiveSubStatusLabel, text, repaint);
}

int32_t ProgressPercent() {
  if (ProgressTotal == 0) return 0;
  const double percent = std::trunc(static_cast<double>(ProgressPosition) /
                                    static_cast<double>(ProgressTotal) * 100.0);
  // Position may pass the total; the figure stays within 32 bits regardless.
  if (percent > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(percent);
}

void StepProgress(bool repaint) {
  if (ActiveGauge == nullptr) return;
  ++ProgressPosition;
  if (repaint) {
    const uint32_t limit = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    // The gauge paints only when its bar or caption changes; the area is
    // repainted with it, not once per step (a step per installed file).
    const int paints = ActiveGauge->ImmediatePaints();
    ActiveGauge->SetProgress(
        static_cast<int32_t>(ProgressPosition < limit ? ProgressPosition : limit));
    if (ActiveGaugeArea != nullptr && ActiveGauge->ImmediatePaints() != paints)
      ActiveGaugeArea->Repaint();
  }
  if (!ProgressHook) return;
  if (static_cast<int64_t>(ProgressPercent()) > static_cast<int64_t>(ProgressHookPercent) + 5) {
    ProgressHook();
    ProgressHookPercent = ProgressPercent();
  }
}

}  // namespace wizpak
