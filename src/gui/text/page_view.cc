#include "gui/text/page_view.h"

#include <algorithm>

#include "gui/richtext/rich_text.h"
#include "gui/text/text_widgets.h"
#include "platform/codepage.h"

namespace wizpak::gui::text {
namespace {

char32_t LowerAscii(char32_t c) {
  return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

bool AsciiLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool IsHeading(const FontSpec& font) {
  return font.bold || font.size_points >= 12;
}

// How tall the text of a control is on the graphical page, in pixels, so
// gaps between controls can become blank lines: the wrap at the control's
// width in average characters of its font.
int EstimatedPixelHeight(const CellLine& text, const Widget& widget) {
  const int points = std::max(widget.Font().size_points, 6);
  const int line_px = points * 8 / 5 + 1;
  // An average character is about 0.7 of the font size wide.
  const int chars = std::max(widget.Bounds().width * 10 / (points * 7), 1);
  const size_t lines = Wrap(text, chars).size();
  return static_cast<int>(lines) * line_px;
}

std::u16string FirstLine(const std::u16string& text) {
  const size_t end = text.find_first_of(u"\r\n");
  return end == std::u16string::npos ? text : text.substr(0, end);
}

bool ShowsText(const Widget& w) {
  switch (w.Kind()) {
    case WidgetKind::Label:
    case WidgetKind::Panel:
      return !w.Text().empty();
    case WidgetKind::Picture:
    case WidgetKind::Bevel:
      return false;
    default:
      return true;
  }
}

CellLine FieldPrefix(size_t number) {
  CellLine prefix;
  AppendUtf8(prefix, std::to_string(number) + ") ", kBold);
  return prefix;
}

}  // namespace

std::vector<size_t> ReadingOrder(const std::vector<Rect>& bounds, int row_slack) {
  std::vector<size_t> by_top(bounds.size());
  for (size_t i = 0; i < bounds.size(); ++i) by_top[i] = i;
  std::stable_sort(by_top.begin(), by_top.end(),
                   [&](size_t a, size_t b) { return bounds[a].top < bounds[b].top; });
  std::vector<size_t> order;
  size_t i = 0;
  while (i < by_top.size()) {
    const int row_top = bounds[by_top[i]].top;
    size_t j = i;
    while (j < by_top.size() && bounds[by_top[j]].top - row_top <= row_slack) ++j;
    std::vector<size_t> row(by_top.begin() + static_cast<long>(i),
                            by_top.begin() + static_cast<long>(j));
    std::stable_sort(row.begin(), row.end(),
                     [&](size_t a, size_t b) { return bounds[a].left < bounds[b].left; });
    order.insert(order.end(), row.begin(), row.end());
    i = j;
  }
  return order;
}

CellLine GaugeBar(int percent, int width, bool escapes) {
  percent = std::clamp(percent, 0, 100);
  const int inner = std::max(width - 2, 1);
  const int filled = inner * percent / 100;
  CellLine bar;
  bar.push_back(Cell{U'[', kPlain});
  for (int k = 0; k < inner; ++k) {
    if (escapes)
      bar.push_back(Cell{k < filled ? U'█' : U'░', kPlain});
    else
      bar.push_back(Cell{k < filled ? U'#' : U'-', kPlain});
  }
  bar.push_back(Cell{U']', kPlain});
  return bar;
}

std::vector<CellLine> ReaderLines(const Widget& widget, int width, bool escapes) {
  CellLine text;
  const auto* rich =
      widget.Kind() == WidgetKind::RichEdit ? static_cast<const RichEdit*>(&widget) : nullptr;
  if (rich && IsRichText(rich->Content())) {
    for (const TextRun& run : ParseRichText(rich->Content())) {
      uint8_t style = kPlain;
      if (escapes) {
        if (run.style.bold) style |= kBold;
        if (run.style.italic) style |= kItalic;
        if (run.style.underline) style |= kUnderline;
      }
      Append(text, run.text, style);
    }
  } else {
    const std::u16string& plain = widget.Text();
    Append(text, std::u16string_view(plain).substr(0, plain.find(u'\0')));
  }
  // A text ending in a line break would show an empty last line.
  while (!text.empty() && text.back().code == U'\n') text.pop_back();
  return Wrap(text, width);
}

char32_t MarkedLetter(std::u16string_view caption, std::u16string* shown) {
  char32_t letter = 0;
  if (shown) shown->clear();
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != u'&' && letter == 0 && AsciiLetter(caption[i]))
        letter = LowerAscii(caption[i]);
    }
    if (shown) shown->push_back(caption[i]);
  }
  return letter;
}

std::vector<char32_t> AssignKeys(const std::vector<std::u16string>& captions) {
  std::vector<char32_t> keys(captions.size(), 0);
  std::u32string taken;
  auto free = [&taken](char32_t c) { return c != 0 && taken.find(c) == std::u32string::npos; };
  for (size_t i = 0; i < captions.size(); ++i) {
    const char32_t marked = MarkedLetter(captions[i]);
    if (free(marked)) {
      keys[i] = marked;
      taken.push_back(marked);
    }
  }
  for (size_t i = 0; i < captions.size(); ++i) {
    if (keys[i]) continue;
    std::u16string shown;
    MarkedLetter(captions[i], &shown);
    for (char16_t c : shown) {
      const char32_t lower = LowerAscii(c);
      if (AsciiLetter(c) && free(lower)) {
        keys[i] = lower;
        taken.push_back(lower);
        break;
      }
    }
  }
  return keys;
}

PageView RenderPage(const PageArea& area, int width, const ViewStyle& style) {
  static const FrontEndWords kEnglish;
  const FrontEndWords& words = style.words ? *style.words : kEnglish;
  PageView view;
  width = std::max(width, 10);
  std::vector<Widget*> shown;
  for (Widget* child : area.Children()) {
    if (child->Visible() && ShowsText(*child)) shown.push_back(child);
  }
  std::vector<Rect> bounds;
  for (const Widget* w : shown) bounds.push_back(w->Bounds());
  const std::vector<size_t> order = ReadingOrder(bounds);

  int previous_bottom = -1;  // estimated, in pixels
  std::u16string previous_label;
  for (size_t index : order) {
    Widget& w = *shown[index];
    const Rect r = w.Bounds();
    if (previous_bottom >= 0 && r.top - previous_bottom >= 10 && !view.lines.empty())
      view.lines.emplace_back();
    const uint8_t dim = w.Enabled() ? kPlain : kDim;
    switch (w.Kind()) {
      case WidgetKind::Label:
      case WidgetKind::Panel: {
        const CellLine text = ToCells(w.Text(), (IsHeading(w.Font()) ? kBold : kPlain) | dim);
        std::vector<CellLine> wrapped = Wrap(text, width);
        // Line breaks at the end of a caption show nothing.
        while (wrapped.size() > 1 && wrapped.back().empty()) wrapped.pop_back();
        for (CellLine& line : wrapped) view.lines.push_back(std::move(line));
        previous_bottom = r.top + EstimatedPixelHeight(text, w);
        previous_label = FirstLine(w.Text());
        continue;
      }
      case WidgetKind::Button: {
        std::u16string caption;
        MarkedLetter(w.Text(), &caption);
        CellLine line = ToCells(u"[ " + caption + u" ]", dim);
        view.lines.push_back(Fit(line, width, true));
        break;
      }
      case WidgetKind::Edit: {
        view.fields.push_back(PageField{PageField::Kind::Edit, &w, previous_label});
        CellLine line = FieldPrefix(view.fields.size());
        Append(line, w.Text(), (style.escapes ? kUnderline : kPlain) | dim);
        if (w.Text().empty()) Append(line, u"…", dim);
        view.lines.push_back(Fit(line, width, true));
        break;
      }
      case WidgetKind::FolderTree: {
        auto& tree = static_cast<FolderTree&>(w);
        view.fields.push_back(PageField{PageField::Kind::Folder, &w, previous_label});
        CellLine line = FieldPrefix(view.fields.size());
        AppendUtf8(line, words.browse_folders, dim);
        const std::string selected = tree.SelectedFolder();
        if (!selected.empty()) {
          AppendUtf8(line, "  (", dim);
          Append(line, AnsiToWide(selected), dim);
          AppendUtf8(line, ")", dim);
        }
        view.lines.push_back(Fit(line, width, true));
        break;
      }
      case WidgetKind::Memo:
      case WidgetKind::RichEdit: {
        std::vector<CellLine> text = ReaderLines(w, width - 2, style.escapes);
        const size_t preview = static_cast<size_t>(std::max(style.preview_lines, 1));
        for (size_t k = 0; k < text.size() && k < preview; ++k) {
          CellLine line{Cell{U' ', kPlain}, Cell{U' ', kPlain}};
          line.insert(line.end(), text[k].begin(), text[k].end());
          view.lines.push_back(std::move(line));
        }
        view.fields.push_back(PageField{PageField::Kind::Reader, &w, previous_label});
        CellLine line = FieldPrefix(view.fields.size());
        AppendUtf8(line,
                   text.size() > preview
                       ? FillWord(words.read_lines, "LINES", std::to_string(text.size()))
                       : words.read_whole_text,
                   dim);
        view.lines.push_back(std::move(line));
        break;
      }
      case WidgetKind::Gauge: {
        const GaugeReading reading = static_cast<const TextGauge&>(w).Read();
        CellLine caption = ToCells(reading.caption);
        const int bar_width = std::clamp(width - LineWidth(caption) - 1, 4, 60);
        CellLine line = GaugeBar(reading.percent, bar_width, style.escapes);
        line.push_back(Cell{U' ', kPlain});
        line.insert(line.end(), caption.begin(), caption.end());
        view.has_gauge = true;
        view.gauge_percent = reading.percent;
        view.gauge_line = line;
        view.gauge_caption = caption;
        // The line just above is the status line when it is a label's.
        view.gauge_status = previous_label.empty() ? CellLine{} : ToCells(previous_label);
        view.lines.push_back(Fit(line, width));
        break;
      }
      case WidgetKind::Picture:
      case WidgetKind::Bevel:
        break;
    }
    previous_bottom = r.top + std::max(r.height, 14);
  }
  return view;
}

}  // namespace wizpak::gui::text
