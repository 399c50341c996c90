// One line of text being edited: insert at the cursor, Backspace, Delete,
// cursor keys, Home/End, Ctrl+U to clear. Enter accepts and Escape (or
// Ctrl+C) abandons the edit.
#pragma once

#include <string>

#include "gui/text/keys.h"

namespace wizpak::gui::text {

class LineEditor {
 public:
  enum class Outcome { Editing, Accepted, Abandoned, Unhandled };

  explicit LineEditor(std::u32string text = {}) : text_(std::move(text)), cursor_(text_.size()) {}

  Outcome Apply(const Key& key);
  const std::u32string& Text() const { return text_; }
  size_t Cursor() const { return cursor_; }
  void SetText(std::u32string text) {
    text_ = std::move(text);
    cursor_ = text_.size();
  }

 private:
  std::u32string text_;
  size_t cursor_;
};

std::u32string ToUtf32(std::u16string_view text);
std::u16string ToUtf16(std::u32string_view text);

}  // namespace wizpak::gui::text
