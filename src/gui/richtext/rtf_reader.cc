#include "gui/richtext/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_set>

#include "platform/codepage.h"

namespace wizpak::gui {
namespace {

constexpr size_t kMaxWordLength = 32;
constexpr int kMaxHalfPoints = 3276;  // 1638 points
constexpr size_t kMaxColours = 4096;
constexpr size_t kMaxFontNameLength = 256;
constexpr int kMaxFallback = 64;

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Windows-1252 byte to UTF-16, for all 256 bytes at once.
const std::array<char16_t, 256>& AnsiTable() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      const std::u16string wide = AnsiToWide(std::string_view(&c, 1));
      t[b] = wide.empty() ? u'?' : wide[0];
    }
    return t;
  }();
  return table;
}

// Destinations whose text is not part of the document: document information,
// style definitions, pictures, headers, field instructions and the like.
bool IsSkippedDestination(std::string_view word) {
  static const std::unordered_set<std::string_view> words = {"stylesheet",
                                                             "info",
                                                             "pict",
                                                             "header",
                                                             "headerl",
                                                             "headerr",
                                                             "headerf",
                                                             "footer",
                                                             "footerl",
                                                             "footerr",
                                                             "footerf",
                                                             "footnote",
                                                             "fldinst",
                                                             "object",
                                                             "objdata",
                                                             "listtable",
                                                             "listoverridetable",
                                                             "revtbl",
                                                             "rsidtbl",
                                                             "filetbl",
                                                             "xmlnstbl",
                                                             "themedata",
                                                             "colorschememapping",
                                                             "latentstyles",
                                                             "datastore",
                                                             "generator",
                                                             "pgdsctbl",
                                                             "nonshppict",
                                                             "shp",
                                                             "private",
                                                             "xe",
                                                             "tc",
                                                             "txe",
                                                             "annotation",
                                                             "atnid",
                                                             "userprops",
                                                             "docvar",
                                                             "template",
                                                             "background",
                                                             "mmathPr"};
  return words.contains(word);
}

bool IsUnderline(std::string_view word) {
  static const std::unordered_set<std::string_view> words = {
      "ul",         "uld",       "uldash",     "uldashd", "uldashdd", "uldb",
      "ulhwave",    "ulldash",   "ulth",       "ulthd",   "ulthdash", "ulthdashd",
      "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};
  return words.contains(word);
}

// Control words that stand for one character.
char16_t NamedCharacter(std::string_view word) {
  static const std::array<std::pair<std::string_view, char16_t>, 10> named = {{
      {"emdash", u'\u2014'},
      {"endash", u'\u2013'},
      {"bullet", u'\u2022'},
      {"lquote", u'\u2018'},
      {"rquote", u'\u2019'},
      {"ldblquote", u'\u201C'},
      {"rdblquote", u'\u201D'},
      {"emspace", u'\u2003'},
      {"enspace", u'\u2002'},
      {"qmspace", u'\u2005'},
  }};
  for (const auto& [name, c] : named) {
    if (name == word) return c;
  }
  return 0;
}

}  // namespace

std::vector<TextRun> RtfReader::Read() {
  groups_.assign(1, Group{});  // the state outside the document's group
  while (pos_ < in_.size()) {
    const char c = in_[pos_];
    if (c == '{') {
      ++pos_;
      OpenGroup();
    } else if (c == '}') {
      ++pos_;
      if (!CloseGroup()) break;  // text after the document is not read
    } else if (c == '\\') {
      ReadControl();
    } else {
      ++pos_;
      if (c == '\r' || c == '\n') continue;  // line ends of the file mean nothing
      if (SkipFallback()) continue;
      TextByte(static_cast<uint8_t>(c));
    }
  }
  return std::move(runs_);
}

void RtfReader::OpenGroup() {
  fallback_left_ = 0;
  if (groups_.size() > kMaxGroupDepth) {
    ++flattened_;
    return;
  }
  groups_.push_back(groups_.back());
}

bool RtfReader::CloseGroup() {
  fallback_left_ = 0;
  if (flattened_ > 0) {
    --flattened_;
    return true;
  }
  if (groups_.size() <= 1) return false;
  if (groups_.back().destination == Destination::kFontTable) CommitFont();
  groups_.pop_back();
  return groups_.size() > 1;
}

// The fallback characters after a \uN are skipped: a text byte, a \'hh or
// any other control counts as one; a brace ends the fallback.
bool RtfReader::SkipFallback() {
  if (fallback_left_ == 0) return false;
  --fallback_left_;
  return true;
}

void RtfReader::ReadControl() {
  ++pos_;  // the backslash
  if (pos_ >= in_.size()) return;
  const char first = in_[pos_];
  if (!IsLetter(first)) {
    ++pos_;
    if (first == '\'') {
      const int high = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
      const int low = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) return;
      pos_ += 2;
      if (!SkipFallback()) TextByte(static_cast<uint8_t>(high * 16 + low));
    } else if (first == '\r' || first == '\n') {
      if (!SkipFallback()) ControlWord("par", false, 0);  // a backslash ending a line
    } else if (!SkipFallback()) {
      ControlSymbol(first);
    }
    return;
  }
  const size_t word_at = pos_;
  while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
  const std::string_view word = in_.substr(word_at, pos_ - word_at);
  bool has_param = false;
  int64_t value = 0;
  bool negative = false;
  if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  while (pos_ < in_.size() && IsDigit(in_[pos_])) {
    has_param = true;
    value = std::min<int64_t>(value * 10 + (in_[pos_] - '0'), int64_t{1} << 32);
    ++pos_;
  }
  if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the word's delimiter
  value = std::clamp<int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX);
  const int param = static_cast<int>(value);

  if (word == "bin") {
    // Binary data of `param` bytes follows; it may hold braces and backslashes.
    const size_t count = has_param && param > 0 ? static_cast<size_t>(param) : 0;
    pos_ += std::min(count, in_.size() - pos_);
    SkipFallback();
    return;
  }
  if (SkipFallback() || word.size() > kMaxWordLength) return;
  ControlWord(word, has_param, param);
}

void RtfReader::ControlWord(std::string_view word, bool has_param, int param) {
  Group& g = groups_.back();
  const bool on = !has_param || param != 0;
  switch (g.destination) {
    case Destination::kSkip:
      return;
    case Destination::kFontTable:
      if (word == "f") {
        CommitFont();
        font_number_ = param;
      }
      return;
    case Destination::kColourTable:
      if (word == "red") red_ = std::clamp(param, 0, 255);
      if (word == "green") green_ = std::clamp(param, 0, 255);
      if (word == "blue") blue_ = std::clamp(param, 0, 255);
      if (word == "red" || word == "green" || word == "blue") colour_given_ = true;
      return;
    case Destination::kText:
      break;
  }

  if (word == "fonttbl") {
    g.destination = Destination::kFontTable;
    font_number_ = -1;
    font_name_.clear();
  } else if (word == "colortbl") {
    g.destination = Destination::kColourTable;
    colours_.clear();
    red_ = green_ = blue_ = 0;
    colour_given_ = false;
  } else if (IsSkippedDestination(word)) {
    g.destination = Destination::kSkip;
  } else if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") {
    Emit(u'\n');
  } else if (word == "tab" || word == "cell") {
    Emit(u'\t');
  } else if (word == "b") {
    g.style.bold = on;
  } else if (word == "i") {
    g.style.italic = on;
  } else if (IsUnderline(word)) {
    g.style.underline = on;
  } else if (word == "ulnone") {
    g.style.underline = false;
  } else if (word == "fs") {
    g.style.half_points = has_param && param > 0 ? std::min(param, kMaxHalfPoints) : 0;
  } else if (word == "cf") {
    const bool known = has_param && param >= 0 && static_cast<size_t>(param) < colours_.size();
    g.style.colour = known ? colours_[static_cast<size_t>(param)] : kBlack;
  } else if (word == "f") {
    g.font = has_param ? param : -1;
  } else if (word == "deff") {
    default_font_ = param;
  } else if (word == "plain") {
    g.style = TextStyle{};
    g.font = -1;
  } else if (word == "u" && has_param) {
    Emit(static_cast<char16_t>(param < 0 ? param + 65536 : param));
    fallback_left_ = g.unicode_fallback;
  } else if (word == "uc") {
    g.unicode_fallback = std::clamp(param, 0, kMaxFallback);
  } else if (const char16_t c = NamedCharacter(word)) {
    Emit(c);
  }
  // Everything else (\pard, paragraph and page layout, \rtf, \ansi ...) has
  // no effect on the text and its character styles.
}

void RtfReader::ControlSymbol(char symbol) {
  switch (symbol) {
    case '\\':
    case '{':
    case '}':
      TextByte(static_cast<uint8_t>(symbol));
      break;
    case '~':
      Emit(u'\u00A0');
      break;
    case '_':
      Emit(u'\u2011');
      break;
    case '*':  // a destination this reader does not know: skip the group
      groups_.back().destination = Destination::kSkip;
      break;
    default:  // \- optional hyphen, \| and \: index marks
      break;
  }
}

void RtfReader::TextByte(uint8_t byte) {
  switch (groups_.back().destination) {
    case Destination::kText:
      if (byte == '\t') {
        Emit(u'\t');
      } else if (byte >= 0x20) {
        Emit(AnsiTable()[byte]);
      }
      return;
    case Destination::kFontTable:
      if (byte == ';') {
        CommitFont();
      } else if (font_name_.size() < kMaxFontNameLength) {
        font_name_ += static_cast<char>(byte);
      }
      return;
    case Destination::kColourTable:
      if (byte == ';') CommitColour();
      return;
    case Destination::kSkip:
      return;
  }
}

void RtfReader::CommitFont() {
  const size_t first = font_name_.find_first_not_of(' ');
  const size_t last = font_name_.find_last_not_of(' ');
  if (font_number_ >= 0 && first != std::string::npos) {
    fonts_[font_number_] = AnsiToUtf8(font_name_.substr(first, last - first + 1));
  }
  font_name_.clear();
  font_number_ = -1;
}

void RtfReader::CommitColour() {
  // An entry without components (the usual first one) is the automatic
  // colour, shown black.
  if (colours_.size() < kMaxColours) {
    colours_.push_back(colour_given_ ? Rgb(static_cast<uint8_t>(red_), static_cast<uint8_t>(green_),
                                           static_cast<uint8_t>(blue_))
                                     : kBlack);
  }
  red_ = green_ = blue_ = 0;
  colour_given_ = false;
}

const std::string& RtfReader::FaceOf(int font) const {
  static const std::string none;
  auto it = fonts_.find(font);
  if (it == fonts_.end()) it = fonts_.find(default_font_);
  return it == fonts_.end() ? none : it->second;
}

void RtfReader::Emit(char16_t c) {
  const Group& g = groups_.back();
  if (g.destination != Destination::kText) return;
  const std::string& face = FaceOf(g.font);
  if (!runs_.empty()) {
    const TextStyle& last = runs_.back().style;
    if (last.face == face && last.half_points == g.style.half_points &&
        last.colour == g.style.colour && last.bold == g.style.bold &&
        last.italic == g.style.italic && last.underline == g.style.underline) {
      runs_.back().text += c;
      return;
    }
  }
  TextRun run;
  run.style = g.style;
  run.style.face = face;
  run.text = c;
  runs_.push_back(std::move(run));
}

}  // namespace wizpak::gui
