#include "gui/text/keys.h"

#include "platform/codepage.h"

namespace wizpak::gui::text {
namespace {

// Length of the escape sequence at the start of `s` (which begins with
// ESC '[' or ESC 'O'), or 0 when it is not complete yet.
size_t SequenceLength(std::string_view s) {
  for (size_t i = 2; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x40 && c <= 0x7E) return i + 1;
    if (c < 0x20 || c > 0x3F) return i + 1;  // malformed: ends here
  }
  return 0;
}

bool Decode(std::string_view seq, Key& key) {
  const char final_byte = seq.back();
  std::string_view params = seq.substr(2, seq.size() - 3);
  int first = 0;
  for (char c : params) {
    if (c < '0' || c > '9') break;
    first = first * 10 + (c - '0');
    if (first > 1000) break;
  }
  switch (final_byte) {
    case 'A':
      key.code = KeyCode::Up;
      return true;
    case 'B':
      key.code = KeyCode::Down;
      return true;
    case 'C':
      key.code = KeyCode::Right;
      return true;
    case 'D':
      key.code = KeyCode::Left;
      return true;
    case 'H':
      key.code = KeyCode::Home;
      return true;
    case 'F':
      key.code = KeyCode::End;
      return true;
    case 'M':  // keypad Enter in application mode
      key.code = KeyCode::Enter;
      return true;
    case '~':
      switch (first) {
        case 1:
        case 7:
          key.code = KeyCode::Home;
          return true;
        case 4:
        case 8:
          key.code = KeyCode::End;
          return true;
        case 3:
          key.code = KeyCode::Delete;
          return true;
        case 5:
          key.code = KeyCode::PageUp;
          return true;
        case 6:
          key.code = KeyCode::PageDown;
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

}  // namespace

bool KeyDecoder::Next(Key& key, bool settled) {
  while (!buffer_.empty()) {
    key = Key{};
    const auto c = static_cast<unsigned char>(buffer_[0]);
    if (c == 0x1B) {
      if (buffer_.size() == 1) {
        if (!settled) return false;
        buffer_.erase(0, 1);
        key.code = KeyCode::Escape;
        return true;
      }
      const char second = buffer_[1];
      if (second == '[' || second == 'O') {
        size_t length = SequenceLength(buffer_);
        if (length == 0) {
          if (!settled) return false;
          length = buffer_.size();
        }
        const std::string seq = buffer_.substr(0, length);
        buffer_.erase(0, length);
        if (Decode(seq, key)) return true;
        continue;  // a key this program has no use for
      }
      if (second == 0x1B) {
        buffer_.erase(0, 1);
        key.code = KeyCode::Escape;
        return true;
      }
      // Escape and a character: Alt with that character.
      buffer_.erase(0, 1);
      if (!Next(key, settled)) {
        buffer_.insert(0, 1, '\x1b');
        return false;
      }
      key.alt = true;
      return true;
    }
    if (c < 0x20 || c == 0x7F) {
      buffer_.erase(0, 1);
      switch (c) {
        case '\r':
        case '\n':
          key.code = KeyCode::Enter;
          return true;
        case 0x7F:
        case 0x08:
          key.code = KeyCode::Backspace;
          return true;
        case '\t':
          key.code = KeyCode::Tab;
          return true;
        case 0x03:
          key.code = KeyCode::CtrlC;
          return true;
        case 0x0C:
          key.code = KeyCode::CtrlL;
          return true;
        case 0x15:
          key.code = KeyCode::CtrlU;
          return true;
        case 0x01:
          key.code = KeyCode::Home;
          return true;
        case 0x05:
          key.code = KeyCode::End;
          return true;
        default:
          continue;  // other control keys do nothing here
      }
    }
    // A malformed character is U+FFFD for its first byte; one cut short
    // waits for the rest until the input has settled.
    const Utf8Char read = FirstUtf8Char(buffer_);
    if (read.length == 0) {
      if (!settled) return false;
      buffer_.clear();
      key.ch = 0xFFFD;
      return true;
    }
    buffer_.erase(0, read.length);
    key.ch = read.code;
    return true;
  }
  return false;
}

}  // namespace wizpak::gui::text
