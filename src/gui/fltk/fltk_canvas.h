// A Canvas that draws into the FLTK widget being painted, at an origin in
// window coordinates: the gradient gauge paints through it.
#pragma once

#include "gui/canvas.h"

namespace wizpak::gui::fltk {

class FltkCanvas : public Canvas {
 public:
  // Only valid inside a widget's draw(); everything is clipped to the box.
  FltkCanvas(int origin_x, int origin_y, int width, int height);
  ~FltkCanvas() override;
  FltkCanvas(const FltkCanvas&) = delete;
  FltkCanvas& operator=(const FltkCanvas&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void FillRect(int x, int y, int width, int height, ColourRef colour) override;
  void SetPixel(int x, int y, ColourRef colour) override;
  void DrawText(int x, int y, std::u16string_view text, const FontSpec& font) override;

 private:
  int x0_;
  int y0_;
  int width_;
  int height_;
};

}  // namespace wizpak::gui::fltk
