#include "text/status_progress.h"

#include <cmath>
#include <limits>
#include <string>

#include "gui/grad_gauge.h"
#include "gui/transcript.h"
#include "platform/codepage.h"
#include "platform/system.h"
#include "gui/widgets.h"

namespace wizpak {
namespace {

void SetCaption(gui::Label* label, std::u16string_view text, bool repaint) {
  if (label == nullptr) return;
  label->SetText(std::u16string(text));
  if (repaint) label->Repaint();
}

}  // namespace

void StatusView::ShowStatus(std::u16string_view text, bool repaint) {
  if (StatusLabel == nullptr) return;
  // The headless transcript records every change of the status caption.
  if (StatusLabel->Text() != text) gui::TranscriptStatus(WideToUtf8(text));
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
  SetCaption(StatusLabel, text, repaint);
}

void StatusView::ShowSubStatus(std::u16string_view text, bool repaint) {
  SetCaption(SubStatusLabel, text, repaint);
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
  if (Gauge == nullptr) return;
  ++ProgressPosition;
  if (repaint) {
    const uint32_t limit = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    // The gauge paints only when its bar or caption changes; the area is
    // repainted with it, not once per step (a step per installed file).
    const int paints = Gauge->ImmediatePaints();
    Gauge->SetProgress(static_cast<int32_t>(ProgressPosition < limit ? ProgressPosition : limit));
    if (GaugeArea != nullptr && Gauge->ImmediatePaints() != paints) GaugeArea->Repaint();
  }
  if (!ProgressHook) return;
  if (static_cast<int64_t>(ProgressPercent()) > static_cast<int64_t>(ProgressHookPercent) + 5) {
    ProgressHook();
    ProgressHookPercent = ProgressPercent();
  }
}

}  // namespace wizpak
