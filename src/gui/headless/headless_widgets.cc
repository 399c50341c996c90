#include "gui/headless/headless_widgets.h"

#include "platform/codepage.h"

namespace wizpak::gui::headless {

bool HeadlessFolderTree::SelectFolder(std::string_view folder, bool expand) {
  std::string wanted = WithTrailingBackslash(folder);
  if (wanted.empty()) return false;
  if (expand) {
    // Every prefix ending in "\" is a node on the way: "C:\", "C:\Games\".
    for (size_t i = 0; i < wanted.size(); ++i) {
      if (wanted[i] == '\\') expanded_.push_back(wanted.substr(0, i + 1));
    }
  }
  Selected(std::move(wanted));
  return true;
}

void HeadlessFolderTree::Clear() {
  Unselected();
  expanded_.clear();
}

bool HeadlessPicture::SetPicture(std::string bytes, std::string_view format) {
  bytes_ = std::move(bytes);
  format_ = AsciiLower(format);
  return !bytes_.empty();
}

void HeadlessGauge::Repaint() {
  Control::Repaint();
  const Rect r = Bounds();
  last_paint_.emplace(r.width, r.height, Colour());
  DrawFace(*last_paint_);
}

std::unique_ptr<Widget> HeadlessPageArea::Make(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::Label:
      return std::make_unique<HeadlessLabel>(this);
    case WidgetKind::Edit:
      return std::make_unique<HeadlessEdit>(this);
    case WidgetKind::FolderTree:
      return std::make_unique<HeadlessFolderTree>(this);
    case WidgetKind::Button:
      return std::make_unique<HeadlessButton>(this);
    case WidgetKind::Picture:
      return std::make_unique<HeadlessPicture>(this);
    case WidgetKind::Panel:
      return std::make_unique<HeadlessPanel>(this);
    case WidgetKind::Bevel:
      return std::make_unique<HeadlessBevel>(this);
    case WidgetKind::Memo:
      return std::make_unique<HeadlessMemo>(this);
    case WidgetKind::RichEdit:
      return std::make_unique<HeadlessRichEdit>(this);
    case WidgetKind::Gauge:
      return std::make_unique<HeadlessGauge>(this);
  }
  return nullptr;
}

}  // namespace wizpak::gui::headless
