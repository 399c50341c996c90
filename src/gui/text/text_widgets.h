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

// Read as a percentage and caption (Gauge::Read), never painted.
class TextGauge : public headless::Control<Gauge> {
 public:
  explicit TextGauge(TextPageArea* area) : Control(area), area_(area) {}
  void Repaint() override;

 private:
  TextPageArea* area_;
};

}  // namespace wizpak::gui::text
