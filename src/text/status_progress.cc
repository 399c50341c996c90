#include "text/status_progress.h"

#include <cmath>
#include <limits>

#include "platform/system.h"

namespace wizpak {

void StatusView::ShowStatus(std::u16string_view text, bool repaint) {
  if (Controls == nullptr || !Controls->HasStatusCaption()) return;
  if (repaint) {
    const uint32_t now = RepaintClock ? RepaintClock() : platform::TickCount();
    // Differences in 32 bits: the tick count wraps.
    if (Repainted && now - RepaintTick < kStatusRepaintIntervalMs) {
      repaint = false;
    } else {
      RepaintTick = now;
      Repainted = true;
    }
  }
  Controls->SetStatusCaption(text, repaint);
}

void StatusView::ShowSubStatus(std::u16string_view text, bool repaint) {
  if (Controls != nullptr) Controls->SetSubStatusCaption(text, repaint);
}

void StatusView::SetGaugeMaximum(int32_t maximum) {
  if (HasGauge()) Controls->SetGaugeMaximum(maximum);
}

void StatusView::SetGaugePosition(int32_t position) {
  if (HasGauge()) Controls->SetGaugePosition(position);
}

int32_t StatusView::ProgressPercent() const {
  if (ProgressTotal == 0) return 0;
  const double percent = std::trunc(static_cast<double>(ProgressPosition) /
                                    static_cast<double>(ProgressTotal) * 100.0);
  // Position may pass the total; the figure stays within 32 bits regardless.
  if (percent > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(percent);
}

void StatusView::StepProgress(bool repaint) {
  if (!HasGauge()) return;
  ++ProgressPosition;
  if (repaint) {
    const uint32_t limit = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    // The gauge paints only when its bar or caption changes; the area is
    // repainted with it, not once per step (a step per installed file).
    if (Controls->SetGaugePosition(
            static_cast<int32_t>(ProgressPosition < limit ? ProgressPosition : limit)))
      Controls->RepaintGaugeArea();
  }
  if (!ProgressHook) return;
  if (static_cast<int64_t>(ProgressPercent()) > static_cast<int64_t>(ProgressHookPercent) + 5) {
    ProgressHook();
    ProgressHookPercent = ProgressPercent();
  }
}

}  // namespace wizpak
