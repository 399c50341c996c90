// The page area of the main form: a child window of its own class in the
// page colour that owns every layout control and keeps them in z-order,
// rearmost first. Notifications of its children are routed back to them.
#pragma once

#include <memory>
#include <vector>

#include "gui/win32/controls.h"

namespace wizpak::gui::win32 {

class PageSurface : public Control<PageArea> {
 public:
  explicit PageSurface(HWND parent);
  ~PageSurface() override;

  // See PaintBehind in controls.h.
  void PaintBehind(const Widget& child, HDC dc) const;
  COLORREF BackColour() const { return ToColorRef(Colour()); }
  HBRUSH BackBrush() const { return brush_.get(); }

 protected:
  std::unique_ptr<Widget> Make(WidgetKind kind) override;
  void Restacked(Widget& child, Stacking how) override;
  // A new colour takes a new brush, and labels and pictures take it too.
  void Apply(Property changed) override;
  void ApplyText() override {}

 private:
  GdiObject<HBRUSH> brush_;
};

// Window classes of the page area and of the self-drawn controls.
void RegisterControlClasses();

}  // namespace wizpak::gui::win32
