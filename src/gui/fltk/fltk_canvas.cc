#include "gui/fltk/fltk_canvas.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "gui/fltk/fltk_style.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

FltkCanvas::FltkCanvas(int origin_x, int origin_y, int width, int height)
    : x0_(origin_x), y0_(origin_y), width_(std::max(width, 0)), height_(std::max(height, 0)) {
  fl_push_clip(x0_, y0_, width_, height_);
}

FltkCanvas::~FltkCanvas() {
  fl_pop_clip();
}

void FltkCanvas::FillRect(int x, int y, int width, int height, ColourRef colour) {
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = std::min(x + std::max(width, 0), width_);
  const int bottom = std::min(y + std::max(height, 0), height_);
  if (right <= left || bottom <= top) return;
  fl_color(ToFlColour(colour));
  fl_rectf(x0_ + left, y0_ + top, right - left, bottom - top);
}

void FltkCanvas::SetPixel(int x, int y, ColourRef colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  fl_color(ToFlColour(colour));
  fl_point(x0_ + x, y0_ + y);
}

void FltkCanvas::DrawText(int x, int y, std::u16string_view text, const FontSpec& font) {
  const std::string utf8 = DisplayText(text);
  fl_font(FontFor(font.face, font.bold), PixelSize(font.size_points));
  fl_color(ToFlColour(font.colour));
  fl_draw(utf8.c_str(), static_cast<int>(utf8.size()), x0_ + x,
          y0_ + y + fl_height() - fl_descent());
}

}  // namespace wizpak::gui::fltk
