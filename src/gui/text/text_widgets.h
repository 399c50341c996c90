// The controls of the terminal front-end: the in-memory controls of the
// headless front-end, which keep every property, plus a page area that
// hears every repaint so the screen can be brought up to date, and a gauge
// read as a percentage and caption instead of painted.
#pragma once

#include <functional>
#include <memory>

#include "gui/headless/headless_widgets.h"
#include "gui/widgets.h"

namespace wizpak::gui::text {

class TextPageArea : public headless::HeadlessPageArea {
 public:
  // Runs whenever the area or one of its controls asks to be repainted.
  void SetOnRepaint(std::function<void()> on_repaint) { on_repaint_ = std::move(on_repaint); }
  void Repaint() override;
  void ChildRepainted();

 protected:
  std::unique_ptr<Widget> Make(WidgetKind kind) override;

 private:
  std::function<void()> on_repaint_;
};

// A headless control whose repaints reach its page area.
template <class Base>
class Notifying : public Base {
 public:
  explicit Notifying(TextPageArea* area) : Base(area), area_(area) {}
  void Repaint() override {
    Base::Repaint();
    if (area_) area_->ChildRepainted();
  }

 private:
  TextPageArea* area_;
};

class TextGauge : public headless::Control<Gauge> {
 public:
  explicit TextGauge(TextPageArea* area) : Control(WidgetKind::Gauge, area), area_(area) {}
  void SetOnPaint(std::function<void(Canvas&)> on_paint) override {
    on_paint_ = std::move(on_paint);
  }
  void SetOnRead(std::function<GaugeReading()> on_read) override { on_read_ = std::move(on_read); }
  // What the bar shows; 0% with that caption when nothing reads it.
  GaugeReading Read() const;
  void Repaint() override;

 private:
  TextPageArea* area_;
  std::function<void(Canvas&)> on_paint_;  // kept: no pixels are painted here
  std::function<GaugeReading()> on_read_;
};

}  // namespace wizpak::gui::text
