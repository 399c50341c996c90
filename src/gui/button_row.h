// Fits a row of push buttons to their captions: a caption wider than its
// button (a long translation such as "Deinstallieren") widens the button to
// the left instead of running into its frame and focus mark.
#pragma once

#include <vector>

#include "gui/widgets.h"

namespace wizpak::gui {

struct RowButton {
  Rect designed;      // where the layout puts the button
  int caption_width;  // the caption's drawn width in its font, "&" left out
};

// The wizard's row as laid out for short captions (client coordinates):
// Back, Next and Cancel; they may grow left up to the language button's
// right edge and a gap.
inline constexpr Rect kWizardRow[] = {{344, 384, 73, 25}, {416, 384, 73, 25}, {496, 384, 75, 25}};
inline constexpr int kWizardRowLeftLimit = 8 + 89 + 8;

// Room a caption needs on either side inside its button: the frame, the
// default button's dark frame and the focus mark stay clear of the letters.
inline constexpr int kCaptionPadding = 8;

// The buttons' bounds, given left to right: each is at least its caption's
// width plus the padding on both sides, grown to the left; every button left
// of a grown one moves left by as much, so the row keeps its right edge and
// the gaps (or overlaps) between its buttons. No button moves left of
// `left_limit`; when the row would, the growth is cut from the leftmost
// buttons first, and the front-end draws those captions a step smaller.
std::vector<Rect> FitButtonRow(const std::vector<RowButton>& row, int left_limit);

}  // namespace wizpak::gui
