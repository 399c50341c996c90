#include "gui/button_row.h"

#include <algorithm>

namespace wizpak::gui {

std::vector<Rect> FitButtonRow(const std::vector<RowButton>& row, int left_limit) {
  std::vector<int> growth(row.size(), 0);
  int total = 0;
  for (size_t i = 0; i < row.size(); ++i) {
    const int wanted = row[i].caption_width + 2 * kCaptionPadding;
    growth[i] = std::max(0, wanted - row[i].designed.width);
    total += growth[i];
  }
  // The room the row has on its left before it meets the limit.
  const int room = row.empty() ? 0 : std::max(0, row.front().designed.left - left_limit);
  for (size_t i = 0; i < row.size() && total > room; ++i) {
    const int cut = std::min(growth[i], total - room);
    growth[i] -= cut;
    total -= cut;
  }
  std::vector<Rect> fitted(row.size());
  int shift = 0;  // how far the buttons right of this one grew, together
  for (size_t i = row.size(); i-- > 0;) {
    Rect r = row[i].designed;
    shift += growth[i];
    r.left -= shift;
    r.width += growth[i];
    fitted[i] = r;
  }
  return fitted;
}

}  // namespace wizpak::gui
