#include "gui/richtext/rich_text.h"

#include "gui/richtext/rtf_reader.h"
#include "platform/codepage.h"

namespace wizpak::gui {

bool IsRichText(std::string_view bytes) {
  return bytes.starts_with("{\\rtf");
}

std::vector<TextRun> ParseRichText(std::string_view bytes) {
  if (IsRichText(bytes)) return RtfReader(bytes).Read();
  // Plain text, read as a text box reads it: up to the first zero byte.
  bytes = bytes.substr(0, bytes.find('\0'));
  std::u16string text;
  text.reserve(bytes.size());
  const std::u16string wide = AnsiToWide(bytes);
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] != u'\r') {
      text += wide[i];
      continue;
    }
    text += u'\n';
    if (i + 1 < wide.size() && wide[i + 1] == u'\n') ++i;
  }
  if (text.empty()) return {};
  return {TextRun{std::move(text), TextStyle{}}};
}

}  // namespace wizpak::gui
