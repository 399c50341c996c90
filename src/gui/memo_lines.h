// Owns the one rule every memo backend uses to turn its text into lines and
// back: CR, LF and CR LF each end a line; lines are joined with CR LF.
#pragma once

#include <string>
#include <vector>

namespace wizpak::gui {

// The lines of a memo's text; an empty text has none, a text ending in a
// line break has an empty last line.
std::vector<std::u16string> SplitMemoLines(const std::u16string& text);

// The memo text that shows LINES, one per line.
std::u16string JoinMemoLines(const std::vector<std::u16string>& lines);

}  // namespace wizpak::gui
