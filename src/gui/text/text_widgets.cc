#include "gui/text/text_widgets.h"

namespace wizpak::gui::text {

void TextPageArea::Repaint() {
  HeadlessPageArea::Repaint();
  ChildRepainted();
}

void TextPageArea::ChildRepainted() {
  if (on_repaint_) on_repaint_();
}

std::unique_ptr<Widget> TextPageArea::Make(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::Label:
      return std::make_unique<Notifying<headless::HeadlessLabel>>(this);
    case WidgetKind::Edit:
      return std::make_unique<Notifying<headless::HeadlessEdit>>(this);
    case WidgetKind::FolderTree:
      return std::make_unique<Notifying<headless::HeadlessFolderTree>>(this);
    case WidgetKind::Button:
      return std::make_unique<Notifying<headless::HeadlessButton>>(this);
    case WidgetKind::Picture:
      return std::make_unique<Notifying<headless::HeadlessPicture>>(this);
    case WidgetKind::Panel:
      return std::make_unique<Notifying<headless::HeadlessPanel>>(this);
    case WidgetKind::Bevel:
      return std::make_unique<Notifying<headless::HeadlessBevel>>(this);
    case WidgetKind::Memo:
      return std::make_unique<Notifying<headless::HeadlessMemo>>(this);
    case WidgetKind::RichEdit:
      return std::make_unique<Notifying<headless::HeadlessRichEdit>>(this);
    case WidgetKind::Gauge:
      return std::make_unique<TextGauge>(this);
  }
  return HeadlessPageArea::Make(kind);
}

void TextGauge::Repaint() {
  Control::Repaint();
  if (area_) area_->ChildRepainted();
}

}  // namespace wizpak::gui::text
