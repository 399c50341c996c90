#include "gui/widgets.h"

#include <algorithm>

#include "gui/memo_lines.h"
#include "platform/codepage.h"

namespace wizpak::gui {
namespace {

// Whether a kind shows its name as its text until a text is given.
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

std::u16string Widened(const std::string& name) {
  return std::u16string(name.begin(), name.end());
}

}  // namespace

Widget::Widget(WidgetKind kind, PageArea* parent) : kind_(kind), parent_(parent) {
  if (kind == WidgetKind::Label) auto_size_ = true;
}

void Widget::SetName(std::string name) {
  const bool follows = ShowsNameAsText(kind_) && text_ == Widened(name_);
  name_ = std::move(name);
  if (!follows) return;
  text_ = Widened(name_);
  Apply(Property::Text);
}

void Widget::BringToFront() {
  if (parent_) parent_->Raise(*this);
}

void Widget::SendToBack() {
  if (parent_) parent_->Lower(*this);
}

void FolderTree::Selected(std::string folder) {
  if (EqualsIgnoreCaseAnsi(folder, selected_)) return;
  selected_ = std::move(folder);
  // Copied: the handler may replace itself.
  if (auto handler = on_change_) handler();
}

std::string FolderTree::WithTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

bool Button::Click() {
  if (!Visible() || !Enabled()) return false;
  // Copied: the handler may replace itself.
  if (auto handler = on_click_) handler();
  return true;
}

std::vector<std::u16string> Memo::Lines() const {
  return SplitMemoLines(Text());
}

void Memo::SetLines(const std::vector<std::u16string>& lines) {
  SetText(JoinMemoLines(lines));
}

void RichEdit::LoadContent(std::string_view bytes) {
  content_.assign(bytes.begin(), bytes.end());
  StoreText(AnsiToWide(bytes));
  Apply(Property::Content);
}

void RichEdit::AddLine(const std::u16string& line) {
  std::u16string text = Text();
  if (!text.empty()) text += u"\r\n";
  text += line;
  SetText(std::move(text));
}

GaugeReading Gauge::Read() const {
  if (on_read_) return on_read_();
  return GaugeReading{0, u"0%"};
}

void Gauge::DrawFace(Canvas& canvas) const {
  if (on_paint_) {
    on_paint_(canvas);
  } else {
    canvas.FillRect(0, 0, canvas.Width(), canvas.Height(), Colour());
  }
}

Widget& PageArea::Create(WidgetKind kind) {
  std::unique_ptr<Widget> widget = Make(kind);
  Widget& ref = *widget;
  owned_.push_back(std::move(widget));
  order_.push_back(&ref);
  Restacked(ref, Stacking::Added);
  return ref;
}

void PageArea::Raise(Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  order_.erase(it);
  order_.push_back(&child);
  Restacked(child, Stacking::Front);
}

void PageArea::Lower(Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  order_.erase(it);
  order_.insert(order_.begin(), &child);
  Restacked(child, Stacking::Back);
}

void PageArea::DestroyChildren() {
  order_.clear();
  owned_.clear();
}

void MainForm::CheckMenuItemWithTag(int tag) {
  for (MenuItem& item : menu_) item.checked = item.tag == tag;
}

bool MainForm::ChooseMenuItem(size_t index) {
  if (index >= menu_.size()) return false;
  // Copied: the handler may replace the menu.
  if (auto handler = menu_[index].on_click) handler();
  return true;
}

bool MainForm::Close() {
  if (closed_) return true;
  if (on_close_query_ && !on_close_query_()) return false;
  closed_ = true;
  HideWindow();
  if (on_close_) on_close_();
  WindowClosed();
  return true;
}

void MainForm::LayOutButtons(Button& language, Button& back, Button& next, Button& cancel) {
  struct Layout {
    Button& button;
    const char* name;
    const char16_t* caption;
    Rect bounds;
  };
  const Layout layouts[] = {
      {language, "LanguageButton", u"English", {8, 384, 89, 25}},
      {back, "BackButton", u"< Back", {344, 384, 73, 25}},
      {next, "NextButton", u"Next >", {416, 384, 73, 25}},
      {cancel, "CancelButton", u"Cancel", {496, 384, 75, 25}},
  };
  for (const Layout& l : layouts) {
    l.button.SetName(l.name);
    l.button.SetText(l.caption);
    l.button.SetBounds(l.bounds);
  }
  language.SetDropDownMark(true);
}

void VerifyWindow::SetStatus(std::string_view text) {
  const bool differs = text != status_;
  status_.assign(text.begin(), text.end());
  ApplyStatus(differs);
}

double VerifyWindow::ProgressFraction() const {
  if (max_ <= 0) return 0.0;
  return std::clamp(static_cast<double>(position_) / static_cast<double>(max_), 0.0, 1.0);
}

}  // namespace wizpak::gui
