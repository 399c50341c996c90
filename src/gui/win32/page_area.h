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
  Widget& Create(WidgetKind kind) override;
  std::vector<Widget*> Children() const override { return order_; }
  void SetColour(ColourRef colour) override;

  void Raise(Widget& child);
  // See PaintBehind in controls.h.
  void PaintBehind(const Widget& child, HDC dc) const;
  void Lower(Widget& child);
  COLORREF BackColour() const { return ToColorRef(Colour()); }
  HBRUSH BackBrush() const { return brush_.get(); }

 protected:
  void ApplyText() override {}

 private:
  std::vector<std::unique_ptr<Widget>> owned_;
  std::vector<Widget*> order_;
  GdiObject<HBRUSH> brush_;
};

// Window classes of the page area and of the self-drawn controls.
void RegisterControlClasses();

}  // namespace wizpak::gui::win32
