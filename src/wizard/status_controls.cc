#include "wizard/status_controls.h"

#include <string>

#include "gui/transcript.h"
#include "platform/codepage.h"

namespace wizpak::wizard {
namespace {

void SetCaption(gui::Label* label, std::u16string_view text, bool repaint) {
  if (label == nullptr) return;
  label->SetText(std::u16string(text));
  if (repaint) label->Repaint();
}

}  // namespace

void StatusControls::SetStatusCaption(std::u16string_view text, bool repaint) {
  if (StatusLabel == nullptr) return;
  // The headless transcript records every change of the status caption.
  if (StatusLabel->Text() != text) gui::TranscriptStatus(WideToUtf8(text));
  SetCaption(StatusLabel, text, repaint);
}

void StatusControls::SetSubStatusCaption(std::u16string_view text, bool repaint) {
  SetCaption(SubStatusLabel, text, repaint);
}

void StatusControls::SetGaugeMaximum(int32_t maximum) {
  if (Gauge != nullptr) Gauge->SetMax(maximum);
}

bool StatusControls::SetGaugePosition(int32_t position) {
  if (Gauge == nullptr) return false;
  const int paints = Gauge->ImmediatePaints();
  Gauge->SetProgress(position);
  return Gauge->ImmediatePaints() != paints;
}

void StatusControls::RepaintGaugeArea() {
  if (GaugeArea != nullptr) GaugeArea->Repaint();
}

}  // namespace wizpak::wizard
