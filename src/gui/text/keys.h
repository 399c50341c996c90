// Keys from the terminal's byte stream: UTF-8 characters, control keys and
// the escape sequences of cursor and editing keys (VT100/xterm forms).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wizpak::gui::text {

enum class KeyCode {
  Char,  // `ch` holds the character
  Enter,
  Escape,
  Backspace,
  Delete,
  Tab,
  Up,
  Down,
  Left,
  Right,
  Home,
  End,
  PageUp,
  PageDown,
  CtrlC,  // the window's close button
  CtrlL,  // redraw
  CtrlU,  // clear the line being edited
  EndOfInput,
};

struct Key {
  KeyCode code = KeyCode::Char;
  char32_t ch = 0;
  bool alt = false;  // Escape came right before the character
  bool operator==(const Key&) const = default;
};

inline Key CharKey(char32_t ch) {
  return Key{KeyCode::Char, ch, false};
}

// Collects bytes and hands out whole keys. A lone Escape can only be told
// from the start of a sequence by the pause after it: Next with `settled`
// true takes what is buffered as complete.
class KeyDecoder {
 public:
  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  // True with `key` set when a key is complete; false when the buffer is
  // empty or holds only the start of a sequence (unless `settled`).
  bool Next(Key& key, bool settled = false);
  bool Pending() const { return !buffer_.empty(); }

 private:
  std::string buffer_;
};

}  // namespace wizpak::gui::text
