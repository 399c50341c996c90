#include "gui/text/cells.h"

#include "platform/codepage.h"

namespace wizpak::gui::text {
namespace {

bool InRange(char32_t c, char32_t low, char32_t high) {
  return c >= low && c <= high;
}

void AppendCode(CellLine& line, char32_t code, uint8_t style, bool& after_cr) {
  if (code == U'\n' && after_cr) {
    after_cr = false;
    return;  // the "\n" of "\r\n"
  }
  after_cr = code == U'\r';
  if (code == U'\r' || code == U'\n') {
    line.push_back(Cell{U'\n', style});
  } else if (code == U'\t') {
    line.push_back(Cell{U' ', style});
  } else if (code >= 0x20 && code != 0x7F && !InRange(code, 0x80, 0x9F)) {
    line.push_back(Cell{code, style});
  }
}

std::string Sgr(uint8_t style) {
  std::string out = "\x1b[0";
  if (style & kBold) out += ";1";
  if (style & kDim) out += ";2";
  if (style & kItalic) out += ";3";
  if (style & kUnderline) out += ";4";
  if (style & kReverse) out += ";7";
  return out + "m";
}

}  // namespace

int CodeWidth(char32_t c) {
  if (c < 0x20 || InRange(c, 0x7F, 0x9F)) return 0;
  if (InRange(c, 0x300, 0x36F) || InRange(c, 0x1AB0, 0x1AFF) || InRange(c, 0x1DC0, 0x1DFF) ||
      InRange(c, 0x20D0, 0x20FF) || InRange(c, 0xFE20, 0xFE2F) || InRange(c, 0x200B, 0x200F))
    return 0;
  if (InRange(c, 0x1100, 0x115F) || InRange(c, 0x2E80, 0x303E) || InRange(c, 0x3041, 0x33FF) ||
      InRange(c, 0x3400, 0x4DBF) || InRange(c, 0x4E00, 0x9FFF) || InRange(c, 0xA000, 0xA4CF) ||
      InRange(c, 0xAC00, 0xD7A3) || InRange(c, 0xF900, 0xFAFF) || InRange(c, 0xFE30, 0xFE4F) ||
      InRange(c, 0xFF00, 0xFF60) || InRange(c, 0xFFE0, 0xFFE6) || InRange(c, 0x1F300, 0x1F64F) ||
      InRange(c, 0x1F900, 0x1F9FF) || InRange(c, 0x20000, 0x3FFFD))
    return 2;
  return 1;
}

int LineWidth(const CellLine& line) {
  int width = 0;
  for (const Cell& cell : line) width += CodeWidth(cell.code);
  return width;
}

void Append(CellLine& line, std::u16string_view text, uint8_t style) {
  bool after_cr = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    AppendCode(line, code, style, after_cr);
  }
}

void AppendUtf8(CellLine& line, std::string_view utf8, uint8_t style) {
  bool after_cr = false;
  for (size_t i = 0; i < utf8.size();) {
    // A malformed or cut-short character shows as U+FFFD in place of its
    // first byte; the next byte is read afresh.
    const Utf8Char read = FirstUtf8Char(utf8.substr(i));
    AppendCode(line, read.code, style, after_cr);
    i += read.valid ? read.length : 1;
  }
}

CellLine ToCells(std::u16string_view text, uint8_t style) {
  CellLine line;
  Append(line, text, style);
  return line;
}

CellLine Utf8ToCells(std::string_view utf8, uint8_t style) {
  CellLine line;
  AppendUtf8(line, utf8, style);
  return line;
}

namespace {

// Greedy wrapping of one paragraph, text[start, end), into `lines`. Blanks
// between words on one line keep their count; a break swallows them.
void WrapParagraph(const CellLine& text, size_t start, size_t end, int width,
                   std::vector<CellLine>& lines) {
  auto blank = [&text](size_t k) { return text[k].code == U' '; };
  struct Word {
    size_t from, to;
    int gap;  // blanks before it
  };
  // The paragraph's leading blanks belong to the first word.
  std::vector<Word> words;
  size_t p = start;
  while (p < end && blank(p)) ++p;
  while (p < end && !blank(p)) ++p;
  if (p > start) words.push_back(Word{start, p, 0});
  while (p < end) {
    const size_t gap_start = p;
    while (p < end && blank(p)) ++p;
    const size_t s = p;
    while (p < end && !blank(p)) ++p;
    if (p > s) words.push_back(Word{s, p, static_cast<int>(s - gap_start)});
  }
  CellLine line;
  int used = 0;
  for (const Word& word : words) {
    int w = 0;
    for (size_t k = word.from; k < word.to; ++k) w += CodeWidth(text[k].code);
    if (!line.empty() && used + word.gap + w <= width) {
      for (int g = 0; g < word.gap; ++g) line.push_back(Cell{U' ', text[word.from].style});
      used += word.gap;
    } else if (!line.empty()) {
      lines.push_back(std::move(line));
      line.clear();
      used = 0;
    }
    for (size_t k = word.from; k < word.to; ++k) {
      const int cw = CodeWidth(text[k].code);
      if (used + cw > width && used > 0) {
        lines.push_back(std::move(line));
        line.clear();
        used = 0;
      }
      line.push_back(text[k]);
      used += cw;
    }
  }
  lines.push_back(std::move(line));
}

}  // namespace

std::vector<CellLine> Wrap(const CellLine& text, int width) {
  if (width < 1) width = 1;
  std::vector<CellLine> lines;
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < text.size() && text[end].code != U'\n') ++end;
    WrapParagraph(text, start, end, width, lines);
    if (end >= text.size()) break;
    start = end + 1;
  }
  return lines;
}

CellLine Fit(const CellLine& line, int width, bool ellipsis) {
  if (LineWidth(line) <= width) return line;
  CellLine out;
  const int room = ellipsis ? width - 1 : width;
  int used = 0;
  for (const Cell& cell : line) {
    const int cw = CodeWidth(cell.code);
    if (used + cw > room) break;
    out.push_back(cell);
    used += cw;
  }
  if (ellipsis && width >= 1)
    out.push_back(Cell{U'…', out.empty() ? uint8_t{kPlain} : out.back().style});
  return out;
}

void PadTo(CellLine& line, int width, uint8_t style) {
  for (int w = LineWidth(line); w < width; ++w) line.push_back(Cell{U' ', style});
}

std::string Render(const CellLine& line, bool escapes) {
  std::string out;
  uint8_t current = kPlain;
  for (const Cell& cell : line) {
    if (escapes && cell.style != current) {
      out += Sgr(cell.style);
      current = cell.style;
    }
    AppendUtf8Char(out, cell.code);
  }
  if (escapes && current != kPlain) out += "\x1b[0m";
  return out;
}

}  // namespace wizpak::gui::text
