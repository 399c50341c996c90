// A read-only FLTK text display that also underlines the runs whose style
// asks for it. FLTK 1.3 has no underline attribute of its own: a style table
// entry whose `attr` holds kUnderline gets a line under its characters,
// drawn after the text.
#pragma once

#include <FL/Fl_Text_Display.H>

namespace wizpak::gui::fltk {

class UnderlinedTextDisplay : public Fl_Text_Display {
 public:
  static constexpr unsigned kUnderline = 1;

  UnderlinedTextDisplay(int x, int y, int w, int h) : Fl_Text_Display(x, y, w, h) {}
  void draw() override;

 private:
  bool IsUnderlined(int position) const;
};

}  // namespace wizpak::gui::fltk
