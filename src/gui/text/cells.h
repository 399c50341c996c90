// Text as the terminal shows it: cells of one code point and a style, their
// column widths, word-wrapping to a width, and the bytes that draw a line
// (UTF-8, with SGR attributes when escape sequences are allowed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::gui::text {

// Attributes a cell may carry; combined as bits.
enum Style : uint8_t {
  kPlain = 0,
  kBold = 1,
  kItalic = 2,
  kUnderline = 4,
  kReverse = 8,
  kDim = 16,
};

struct Cell {
  char32_t code = U' ';
  uint8_t style = kPlain;
  bool operator==(const Cell&) const = default;
};

using CellLine = std::vector<Cell>;

// Columns a code point takes: 0 for combining marks and controls, 2 for
// East Asian wide characters, else 1.
int CodeWidth(char32_t code);
int LineWidth(const CellLine& line);

// UTF-16 text (surrogate pairs joined, lone surrogates shown as U+FFFD) as
// cells of one style. "\r\n", "\r" and "\n" stay as a single '\n'; tabs
// become a blank; other controls are dropped.
CellLine ToCells(std::u16string_view text, uint8_t style = kPlain);
CellLine Utf8ToCells(std::string_view utf8, uint8_t style = kPlain);
void Append(CellLine& line, std::u16string_view text, uint8_t style = kPlain);
void AppendUtf8(CellLine& line, std::string_view utf8, uint8_t style = kPlain);

// Breaks `text` at '\n' and wraps each paragraph at blanks so no line is
// wider than `width` (at least 1). Blanks between words on one line are
// kept, those at a break dropped; a paragraph's leading blanks are kept
// (indented lists). A word wider than the width is cut. An empty paragraph
// gives an empty line.
std::vector<CellLine> Wrap(const CellLine& text, int width);

// Cuts `line` to `width` columns; with `ellipsis`, a cut line ends in "…".
CellLine Fit(const CellLine& line, int width, bool ellipsis = false);
// Adds blanks of `style` up to `width` columns.
void PadTo(CellLine& line, int width, uint8_t style = kPlain);

// The bytes that draw `line`: UTF-8, and with `escapes` SGR sequences where
// the style changes, ending in the plain style.
std::string Render(const CellLine& line, bool escapes);

}  // namespace wizpak::gui::text
