#include "gui/text/line_editor.h"

namespace wizpak::gui::text {

LineEditor::Outcome LineEditor::Apply(const Key& key) {
  switch (key.code) {
    case KeyCode::Char:
      if (key.alt || key.ch < 0x20) return Outcome::Unhandled;
      text_.insert(cursor_, 1, key.ch);
      ++cursor_;
      return Outcome::Editing;
    case KeyCode::Backspace:
      if (cursor_ > 0) text_.erase(--cursor_, 1);
      return Outcome::Editing;
    case KeyCode::Delete:
      if (cursor_ < text_.size()) text_.erase(cursor_, 1);
      return Outcome::Editing;
    case KeyCode::Left:
      if (cursor_ > 0) --cursor_;
      return Outcome::Editing;
    case KeyCode::Right:
      if (cursor_ < text_.size()) ++cursor_;
      return Outcome::Editing;
    case KeyCode::Home:
      cursor_ = 0;
      return Outcome::Editing;
    case KeyCode::End:
      cursor_ = text_.size();
      return Outcome::Editing;
    case KeyCode::CtrlU:
      text_.clear();
      cursor_ = 0;
      return Outcome::Editing;
    case KeyCode::Enter:
      return Outcome::Accepted;
    case KeyCode::Escape:
    case KeyCode::CtrlC:
    case KeyCode::EndOfInput:
      return Outcome::Abandoned;
    default:
      return Outcome::Unhandled;
  }
}

std::u32string ToUtf32(std::u16string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    out.push_back(c);
  }
  return out;
}

std::u16string ToUtf16(std::u32string_view text) {
  std::u16string out;
  for (char32_t c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(u'\uFFFD');
    }
  }
  return out;
}

}  // namespace wizpak::gui::text
