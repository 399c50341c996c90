// The FLTK widgets behind the controls: a widget painted by a callback
// (labels, pictures, panels, bevels, the gauge), the push button with the
// language button's drop-down mark, and helpers to repaint an area of the
// window so controls drawn over a picture stay transparent.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <string>

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

class PaintedView : public Fl_Widget {
 public:
  PaintedView() : Fl_Widget(0, 0, 0, 0) {}
  void SetPaint(std::function<void(PaintedView&)> paint) { paint_ = std::move(paint); }
  void draw() override {
    if (paint_) paint_(*this);
  }

 private:
  std::function<void(PaintedView&)> paint_;
};

// A push button; with the mark on, a 9 x 6 down-pointing triangle is drawn
// right of the caption and the caption moves left to make room.
class ButtonView : public Fl_Button {
 public:
  ButtonView() : Fl_Button(0, 0, 0, 0) {}
  void SetDropDownMark(bool on) {
    drop_down_mark_ = on;
    redraw();
  }
  // The default button of its window: drawn inside a dark frame, as
  // Windows draws the button Enter presses.
  void SetDefault(bool on) {
    default_ = on;
    redraw();
  }
  void draw() override;
  // The width of the caption as drawn at the size the layout set, without
  // the "&" that marks the Alt letter. Needs the display.
  int CaptionWidth() const;

 private:
  // The caption as drawn: "&" before a letter is not drawn, "&&" draws one.
  std::string ShownCaption() const;
  // Room kept free of the caption on either side, inside the frame.
  static constexpr int kCaptionMargin = 5;
  void DrawFace();
  bool drop_down_mark_ = false;
  bool default_ = false;
};

// A group whose flat background can be switched off (the page area paints
// its colour; a window's own group does the same).
class AreaGroup : public Fl_Group {
 public:
  AreaGroup() : Fl_Group(0, 0, 0, 0) {
    end();
    box(FL_FLAT_BOX);
    // Children keep their size when the group is placed.
    resizable(nullptr);
  }
  // FLTK's group takes an unused Enter for moving the focus to the next
  // control; here it belongs to the window's default button.
  int handle(int event) override {
    if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
      for (int i = children(); i-- > 0;) {
        Fl_Widget* child = this->child(i);
        if (child->takesevents() && child->handle(FL_SHORTCUT)) return 1;
      }
      return 0;
    }
    return Fl_Group::handle(event);
  }
};

// Marks the window area under `widget` for repainting, so everything behind
// a transparent control is drawn again too.
void DamageUnder(Fl_Widget& widget);
// Repaints what is damaged now, without waiting for the message loop.
void FlushNow();

}  // namespace wizpak::gui::fltk
