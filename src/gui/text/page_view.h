// A page drawn as text: the visible controls of a page area in reading
// order (top to bottom, then left to right), labels and panels word-wrapped,
// edits, the folder tree and long texts as numbered fields, the gauge as a
// one-line bar. Also the keys of button captions ("&" marks the letter).
#pragma once

#include <string>
#include <vector>

#include "gui/front_end_words.h"
#include "gui/text/cells.h"
#include "gui/widgets.h"

namespace wizpak::gui::text {

// Something on a page the person opens with its number.
struct PageField {
  enum class Kind { Edit, Folder, Reader };
  Kind kind = Kind::Edit;
  Widget* widget = nullptr;
  std::u16string title;  // the label above it, first line ("" when none)
};

struct PageView {
  std::vector<CellLine> lines;
  std::vector<PageField> fields;  // field k has the number k + 1
  // The gauge's bar line and the status text just above it (plain output
  // prints these as progress lines).
  bool has_gauge = false;
  int gauge_percent = 0;
  CellLine gauge_line;
  CellLine gauge_caption;
  CellLine gauge_status;
};

struct ViewStyle {
  bool escapes = true;                   // styles and block characters; false: plain ASCII bars
  int preview_lines = 8;                 // lines of a memo or rich edit shown on the page
  const FrontEndWords* words = nullptr;  // null: the English words
};

// The order in which a person reads the controls: by top, controls whose
// tops lie within `row_slack` pixels of a row's first control form that
// row and are read by left.
std::vector<size_t> ReadingOrder(const std::vector<Rect>& bounds, int row_slack = 8);

PageView RenderPage(const PageArea& area, int width, const ViewStyle& style);

// The text of a memo or rich edit as styled lines wrapped to `width` (RTF
// shown with its bold, italic and underlined runs).
std::vector<CellLine> ReaderLines(const Widget& widget, int width, bool escapes);

// A bar `width` columns wide (brackets included) filled to `percent`.
CellLine GaugeBar(int percent, int width, bool escapes);

// A caption's key: the letter after a single "&" when it is an ASCII letter,
// else 0. `shown` receives the caption without the marks ("&&" becomes "&").
char32_t MarkedLetter(std::u16string_view caption, std::u16string* shown = nullptr);

// Keys for a row of captions: each caption's marked letter when it is free,
// else its first free ASCII letter; lower case; 0 when none is left. Digits
// stay free for the page's fields.
std::vector<char32_t> AssignKeys(const std::vector<std::u16string>& captions);

}  // namespace wizpak::gui::text
