// StatusSink: the controls a run's status view shows on (the status caption,
// the sub-status caption, the gauge and the area it sits on), as the text
// layer sees them. The layer that owns the controls implements it over its
// widgets (the wizard: wizard/status_controls.h); a control it does not have
// ignores what is meant for it.
#pragma once

#include <cstdint>
#include <string_view>

namespace wizpak {

class StatusSink {
 public:
  virtual ~StatusSink() = default;

  virtual bool HasStatusCaption() const = 0;
  virtual bool HasGauge() const = 0;

  // The status caption becomes `text`; a caption that changes is written to
  // the headless transcript. With `repaint` the caption is repainted at once.
  virtual void SetStatusCaption(std::u16string_view text, bool repaint) = 0;
  virtual void SetSubStatusCaption(std::u16string_view text, bool repaint) = 0;

  // The gauge's position; 0 without a gauge.
  virtual int32_t GaugePosition() const = 0;
  virtual void SetGaugeMaximum(int32_t maximum) = 0;
  // Moves the gauge; true when that repainted it (its bar or caption
  // changed).
  virtual bool SetGaugePosition(int32_t position) = 0;
  // Repaints the area the gauge sits on, where there is one.
  virtual void RepaintGaugeArea() = 0;
};

}  // namespace wizpak
