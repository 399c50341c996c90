#include "gui/fltk/underlined_text_display.h"

#include <FL/Fl_Text_Buffer.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace wizpak::gui::fltk {

bool UnderlinedTextDisplay::IsUnderlined(int position) const {
  if (mStyleBuffer == nullptr || mStyleTable == nullptr) return false;
  const int index = static_cast<unsigned char>(mStyleBuffer->byte_at(position)) - 'A';
  return index >= 0 && index < mNStyles && (mStyleTable[index].attr & kUnderline) != 0;
}

void UnderlinedTextDisplay::draw() {
  Fl_Text_Display::draw();
  Fl_Text_Buffer* text = buffer();
  if (text == nullptr || mStyleBuffer == nullptr || mStyleTable == nullptr) return;
  fl_push_clip(text_area.x, text_area.y, text_area.w, text_area.h);
  const int last = std::min(mLastChar, text->length());
  for (int position = mFirstChar; position < last; position = text->next_char(position)) {
    if (!IsUnderlined(position)) continue;
    const unsigned int c = text->char_at(position);
    if (c == '\n' || c == '\t') continue;
    int x = 0;
    int y = 0;
    if (!position_to_xy(position, &x, &y)) continue;
    const Style_Table_Entry& style =
        mStyleTable[static_cast<unsigned char>(mStyleBuffer->byte_at(position)) - 'A'];
    fl_font(style.font, style.size);
    // position_to_xy gives the top of the line; the line's text sits on a
    // baseline mMaxsize below it, less the font's descent.
    const int baseline = y + mMaxsize - fl_descent();
    // To where the next character starts when it is on the same line, so
    // the line has no gaps between letters.
    int end = x + static_cast<int>(fl_width(c) + 0.5);
    int next_x = 0;
    int next_y = 0;
    if (position_to_xy(text->next_char(position), &next_x, &next_y) && next_y == y && next_x > x) {
      end = next_x;
    }
    fl_color(active_r() ? style.color : fl_inactive(style.color));
    fl_rectf(x, baseline + 1, end - x, std::max(1, style.size / 14));
  }
  fl_pop_clip();
}

}  // namespace wizpak::gui::fltk
