#include "gui/memo_lines.h"

namespace wizpak::gui {

std::vector<std::u16string> SplitMemoLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  if (text.empty()) return lines;
  std::u16string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(line);
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

std::u16string JoinMemoLines(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace wizpak::gui
