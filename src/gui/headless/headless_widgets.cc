#include "gui/headless/headless_widgets.h"

#include <algorithm>

#include "gui/memo_lines.h"
#include "platform/codepage.h"

namespace wizpak::gui::headless {

void RaiseChild(HeadlessPageArea& area, const Widget& child) {
  area.Raise(child);
}
void LowerChild(HeadlessPageArea& area, const Widget& child) {
  area.Lower(child);
}
PageArea* AsPageArea(HeadlessPageArea* area) {
  return area;
}

bool ShowsNameAsText(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::Label:
    case WidgetKind::Edit:
    case WidgetKind::Button:
    case WidgetKind::Panel:
    case WidgetKind::Memo:
    case WidgetKind::RichEdit:
      return true;
    default:
      return false;
  }
}

void HeadlessEdit::SetText(std::u16string text) {
  Control::SetText(std::move(text));
  if (on_change_) on_change_();
}

namespace {
std::string WithTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}
}  // namespace

bool HeadlessFolderTree::SelectFolder(std::string_view folder, bool expand) {
  const std::string wanted = WithTrailingBackslash(folder);
  if (wanted.empty()) return false;
  if (expand) {
    // Every prefix ending in "\" is a node on the way: "C:\", "C:\Games\".
    for (size_t i = 0; i < wanted.size(); ++i) {
      if (wanted[i] == '\\') expanded_.push_back(wanted.substr(0, i + 1));
    }
  }
  if (EqualsIgnoreCaseAnsi(wanted, selected_)) return true;
  selected_ = wanted;
  if (on_change_) on_change_();
  return true;
}

void HeadlessFolderTree::Clear() {
  selected_.clear();
  expanded_.clear();
}

bool HeadlessButton::Click() {
  if (!Visible() || !Enabled()) return false;
  if (on_click_) {
    // Copied: the handler may replace itself.
    auto handler = on_click_;
    handler();
  }
  return true;
}

bool HeadlessPicture::SetPicture(std::string bytes, std::string_view format) {
  bytes_ = std::move(bytes);
  format_ = AsciiLower(format);
  return !bytes_.empty();
}

std::vector<std::u16string> HeadlessMemo::Lines() const {
  return SplitMemoLines(Text());
}

void HeadlessMemo::SetLines(std::vector<std::u16string> lines) {
  SetText(JoinMemoLines(lines));
}

void HeadlessRichEdit::SetText(std::u16string text) {
  content_.clear();
  Control::SetText(std::move(text));
}

void HeadlessRichEdit::LoadContent(std::string_view bytes) {
  Control::SetText(AnsiToWide(bytes));
  content_.assign(bytes.begin(), bytes.end());
}

void HeadlessRichEdit::AddLine(std::u16string line) {
  std::u16string text = Text();
  if (!text.empty()) text += u"\r\n";
  text += line;
  SetText(std::move(text));
}

void HeadlessRichEdit::Clear() {
  SetText(u"");
}

void HeadlessGauge::Repaint() {
  Control::Repaint();
  const Rect r = Bounds();
  last_paint_.emplace(r.width, r.height, Colour());
  if (on_paint_) on_paint_(*last_paint_);
}

Widget& HeadlessPageArea::Create(WidgetKind kind) {
  std::unique_ptr<Widget> widget = Make(kind);
  Widget& ref = *widget;
  owned_.push_back(std::move(widget));
  order_.push_back(&ref);
  return ref;
}

std::unique_ptr<Widget> HeadlessPageArea::Make(WidgetKind kind) {
  std::unique_ptr<Widget> widget;
  switch (kind) {
    case WidgetKind::Label:
      widget = std::make_unique<HeadlessLabel>(this);
      break;
    case WidgetKind::Edit:
      widget = std::make_unique<HeadlessEdit>(this);
      break;
    case WidgetKind::FolderTree:
      widget = std::make_unique<HeadlessFolderTree>(this);
      break;
    case WidgetKind::Button:
      widget = std::make_unique<HeadlessButton>(this);
      break;
    case WidgetKind::Picture:
      widget = std::make_unique<HeadlessPicture>(this);
      break;
    case WidgetKind::Panel:
      widget = std::make_unique<HeadlessPanel>(this);
      break;
    case WidgetKind::Bevel:
      widget = std::make_unique<HeadlessBevel>(this);
      break;
    case WidgetKind::Memo:
      widget = std::make_unique<HeadlessMemo>(this);
      break;
    case WidgetKind::RichEdit:
      widget = std::make_unique<HeadlessRichEdit>(this);
      break;
    case WidgetKind::Gauge:
      widget = std::make_unique<HeadlessGauge>(this);
      break;
  }
  return widget;
}

void HeadlessPageArea::Raise(const Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  Widget* w = *it;
  order_.erase(it);
  order_.push_back(w);
}

void HeadlessPageArea::Lower(const Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  Widget* w = *it;
  order_.erase(it);
  order_.insert(order_.begin(), w);
}

}  // namespace wizpak::gui::headless
