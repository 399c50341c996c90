// Reading of the rich-text (RTF) files shown in licence and read-me pages
// into runs of styled text. A text that does not start with "{\rtf" is plain
// Windows-1252 text and becomes one run in the control's own style.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gui/font.h"

namespace wizpak::gui {

struct TextStyle {
  std::string face;     // UTF-8; empty: the control's own face
  int half_points = 0;  // font size in half points; 0: the control's own size
  ColourRef colour = kBlack;
  bool bold = false, italic = false, underline = false;

  bool operator==(const TextStyle&) const = default;
};

// `text` may hold '\n' line breaks and '\t' tabs. Adjacent runs of equal
// style are merged.
struct TextRun {
  std::u16string text;
  TextStyle style;

  bool operator==(const TextRun&) const = default;
};

// True when `bytes` is a rich-text document (starts with "{\rtf"). The runs of
// any other text carry no style of their own: they show in the control's font.
bool IsRichText(std::string_view bytes);

// Never fails: what cannot be read is skipped. Line ends "\r\n" and "\r" of
// plain text become '\n'.
std::vector<TextRun> ParseRichText(std::string_view bytes);

}  // namespace wizpak::gui
