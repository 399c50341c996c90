#include "gui/fltk/fltk_views.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

namespace {
// The drop-down mark: 9 x 6 pixels, kGap from the button's right edge.
constexpr int kMarkWidth = 9;
constexpr int kMarkHeight = 6;
constexpr int kGap = 8;
}  // namespace

void ButtonView::draw() {
  // A caption wider than the button (a long translation such as
  // "Deinstallieren") is drawn up to three pixels smaller rather than into
  // the frame; the size the layout set comes back after drawing.
  const int set_size = labelsize();
  if (label() != nullptr) {
    const std::string shown = ShownCaption();
    // The default frame and the focus mark sit one pixel further in.
    const int room =
        w() - 2 * kCaptionMargin - (default_ ? 2 : 0) - (drop_down_mark_ ? kMarkWidth + kGap : 0);
    for (int size = set_size; size > std::max(6, set_size - 3); --size) {
      fl_font(labelfont(), size);
      if (fl_width(shown.c_str()) <= room) break;
      labelsize(static_cast<Fl_Fontsize>(size - 1));
    }
  }
  DrawFace();
  if (default_) {
    fl_color(active_r() ? fl_rgb_color(0x33, 0x33, 0x33) : fl_inactive(FL_BLACK));
    fl_rect(x(), y(), w(), h());
  }
  labelsize(static_cast<Fl_Fontsize>(set_size));
}

std::string ButtonView::ShownCaption() const {
  std::string shown;
  if (label() == nullptr) return shown;
  for (const char* c = label(); *c; ++c) {
    if (*c == '&' && c[1] != '\0') ++c;
    shown += *c;
  }
  return shown;
}

int ButtonView::CaptionWidth() const {
  const std::string shown = ShownCaption();
  if (shown.empty()) return 0;
  fl_font(labelfont(), labelsize());
  return static_cast<int>(fl_width(shown.c_str()) + 0.5);
}

void ButtonView::DrawFace() {
  if (!drop_down_mark_) {
    Fl_Button::draw();
    return;
  }
  // The box as Fl_Button draws it, the caption shifted left, then the mark.
  const Fl_Color face = value() ? selection_color() : color();
  draw_box(value() ? (down_box() ? down_box() : fl_down(box())) : box(), face);
  const Fl_Color text = active_r() ? FL_BLACK : fl_inactive(FL_BLACK);
  draw_label(x(), y(), w() - kMarkWidth - kGap, h());
  const int mark_x = x() + w() - kMarkWidth - kGap;
  const int mark_y = y() + (h() - kMarkHeight) / 2;
  fl_color(text);
  // The mark is a 9 x 6 picture: a blank top row, then rows 9, 7, 5, 3 and
  // 1 pixels wide.
  for (int row = 0; row < kMarkHeight - 1; ++row) {
    fl_xyline(mark_x + row, mark_y + 1 + row, mark_x + kMarkWidth - 1 - row);
  }
  if (Fl::focus() == this) draw_focus();
}

void DamageUnder(Fl_Widget& widget) {
  Fl_Window* window = widget.window();
  if (!window) return;
  if (widget.w() <= 0 || widget.h() <= 0) return;
  window->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
}

void FlushNow() {
  Fl::flush();
}

}  // namespace wizpak::gui::fltk
