// StatusControls: the run's status view (text/status_sink.h) over the
// wizard's widgets: the status label ("patching_statuslabel"), the
// sub-status label ("finishtext"), the gauge ("patching_progressbar") and the
// page area it sits on. The wizard sets the pointers when it finds its
// controls; a null pointer is a control the page set does not have.
#pragma once

#include "gui/grad_gauge.h"
#include "gui/widgets.h"
#include "text/status_sink.h"

namespace wizpak::wizard {

class StatusControls final : public StatusSink {
 public:
  // Not owned; null until the wizard finds them.
  gui::Label* StatusLabel = nullptr;
  gui::Label* SubStatusLabel = nullptr;
  gui::TGradGauge* Gauge = nullptr;
  // Repainted after a step that repainted the gauge; null repaints nothing
  // besides the gauge itself.
  gui::Widget* GaugeArea = nullptr;

  void Clear() { *this = StatusControls{}; }

  bool HasStatusCaption() const override { return StatusLabel != nullptr; }
  bool HasGauge() const override { return Gauge != nullptr; }
  void SetStatusCaption(std::u16string_view text, bool repaint) override;
  void SetSubStatusCaption(std::u16string_view text, bool repaint) override;
  int32_t GaugePosition() const override { return Gauge ? Gauge->Progress() : 0; }
  void SetGaugeMaximum(int32_t maximum) override;
  bool SetGaugePosition(int32_t position) override;
  void RepaintGaugeArea() override;
};

}  // namespace wizpak::wizard
