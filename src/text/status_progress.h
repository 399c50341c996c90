// Status texts and the shared progress step: the wizard's status labels and
// gauge that long operations report to, and StepProgress, which also runs
// the message-pump hook every few percent so the window stays responsive.
// One StatusView belongs to each run (RunTexts); the wizard points it at its
// controls through a StatusSink.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "text/status_sink.h"

namespace wizpak {

inline constexpr uint32_t kStatusRepaintIntervalMs = 15;

struct StatusView {
  // The status label, sub-status label and gauge: set by the wizard while
  // its controls exist; null until then. Not owned.
  StatusSink* Controls = nullptr;

  // Progress counters of StepProgress. ProgressHook, when set, runs the
  // toolkit's message pump.
  uint32_t ProgressPosition = 0;
  uint32_t ProgressTotal = 0;
  int32_t ProgressHookPercent = 0;
  std::function<void()> ProgressHook;

  // The clock of the status repaint limit in milliseconds; null uses the
  // system's tick count.
  uint32_t (*RepaintClock)() = nullptr;
  // When ShowStatus last repainted the status label at once, by
  // RepaintClock; Repainted is false until it first did.
  uint32_t RepaintTick = 0;
  bool Repainted = false;

  // The status / sub-status caption; nothing while there are no controls or
  // they have no such label. With `repaint` the label is repainted at once; for the status
  // label at most once every kStatusRepaintIntervalMs, since a caption that
  // changes once per installed file would otherwise repaint (and flush a
  // window to the display) thousands of times a second. The caption is
  // always set and shows with the label's next repaint.
  void ShowStatus(std::u16string_view text, bool repaint);
  void ShowSubStatus(std::u16string_view text, bool repaint);

  // One step of progress (nothing without a gauge): ProgressPosition grows
  // by one; with `repaint` the gauge takes it, and when that changes what the
  // gauge shows (it repaints), the area it sits on is repainted too. Then,
  // when ProgressHook is set, the hook runs if the percentage done
  // (truncated) has passed ProgressHookPercent + 5, and ProgressHookPercent
  // becomes the percentage as it stands after the hook. A ProgressTotal of 0
  // counts as 0 percent.
  void StepProgress(bool repaint);

  // trunc(ProgressPosition / ProgressTotal * 100); 0 when ProgressTotal is 0.
  int32_t ProgressPercent() const;

  // The gauge itself, without the progress counters: whether there is one,
  // its position (0 without one), its maximum and position (nothing without
  // one; the area is not repainted).
  bool HasGauge() const { return Controls != nullptr && Controls->HasGauge(); }
  int32_t GaugePosition() const { return HasGauge() ? Controls->GaugePosition() : 0; }
  void SetGaugeMaximum(int32_t maximum);
  void SetGaugePosition(int32_t position);

  // Forgets the controls (the wizard's pages are going away).
  void Detach() { Controls = nullptr; }
};

}  // namespace wizpak
