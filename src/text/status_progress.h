// Status texts and the shared progress step: the wizard's status labels and
// gauge that long operations report to, and StepProgress, which also runs
// the message-pump hook every few percent so the window stays responsive.
#pragma once

#include <cstdint>
#include <string_view>

namespace wizpak::gui {
class Label;
class Widget;
class TGradGauge;
}  // namespace wizpak::gui

namespace wizpak {

// Set by the wizard once its page controls exist; null until then. Not owned.
inline gui::Label* ActiveStatusLabel = nullptr;     // "patching_statuslabel"
inline gui::Label* ActiveSubStatusLabel = nullptr;  // "finishtext"
inline gui::TGradGauge* ActiveGauge = nullptr;      // "patching_progressbar"
// The control repainted after a progress step with repaint: the page area
// the gauge sits on. Null repaints nothing besides the gauge itself.
inline gui::Widget* ActiveGaugeArea = nullptr;

// Caption of ActiveStatusLabel / ActiveSubStatusLabel; nothing while the
// label is null. With `repaint` the label is repainted at once; for the
// status label at most once every kStatusRepaintIntervalMs, since a caption
// that changes once per installed file would otherwise repaint (and flush a
// window to the display) thousands of times a second. The caption is always
// set and shows with the label's next repaint.
void ShowStatus(std::u16string_view text, bool repaint);
void ShowSubStatus(std::u16string_view text, bool repaint);

inline constexpr uint32_t kStatusRepaintIntervalMs = 15;
// The clock of that limit in milliseconds; null uses the system's tick count.
inline uint32_t (*StatusRepaintClock)() = nullptr;

// One step of progress (nothing while ActiveGauge is null): ProgressPosition
// grows by one; with `repaint` the gauge takes it, and when that changes what
// the gauge shows (it repaints), ActiveGaugeArea is repainted too. Then, when
// ProgressHook is set, the hook runs if the percentage done (truncated) has
// passed ProgressHookPercent + 5, and ProgressHookPercent becomes the
// percentage as it stands after the hook. A ProgressTotal of 0 counts as 0
// percent.
void StepProgress(bool repaint);

// trunc(ProgressPosition / ProgressTotal * 100); 0 when ProgressTotal is 0.
int32_t ProgressPercent();

}  // namespace wizpak
