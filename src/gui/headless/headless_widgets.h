// In-memory controls of the headless front-end: each holds every property it
// is given and draws nothing. Tests and unattended runs read them back.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/widgets.h"

namespace wizpak::gui::headless {

class HeadlessPageArea;

// Moves `child` to the front or back of its page area's z-order.
void RaiseChild(HeadlessPageArea& area, const Widget& child);
void LowerChild(HeadlessPageArea& area, const Widget& child);
PageArea* AsPageArea(HeadlessPageArea* area);

// Whether a kind shows its name as its text until a text is given.
bool ShowsNameAsText(WidgetKind kind);

// The properties shared by all controls, on top of one of the interfaces.
template <class Interface>
class Control : public Interface {
 public:
  Control(WidgetKind kind, HeadlessPageArea* area) : kind_(kind), area_(area) {
    if (kind == WidgetKind::Label) auto_size_ = true;
  }

  WidgetKind Kind() const override { return kind_; }
  const std::string& Name() const override { return name_; }
  void SetName(std::string name) override {
    // As the classic toolkits do: a text that still equals the old name
    // follows the name.
    if (ShowsNameAsText(kind_) && text_ == WideName())
      text_ = std::u16string(name.begin(), name.end());
    name_ = std::move(name);
  }
  Rect Bounds() const override { return bounds_; }
  void SetBounds(const Rect& bounds) override { bounds_ = bounds; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  const std::u16string& Text() const override { return text_; }
  void SetText(std::u16string text) override { text_ = std::move(text); }
  const FontSpec& Font() const override { return font_; }
  void SetFont(const FontSpec& font) override { font_ = font; }
  bool AutoSize() const override { return auto_size_; }
  void SetAutoSize(bool on) override { auto_size_ = on; }
  bool WordWrap() const override { return word_wrap_; }
  void SetWordWrap(bool on) override { word_wrap_ = on; }
  bool Transparent() const override { return transparent_; }
  void SetTransparent(bool on) override { transparent_ = on; }
  bool Border() const override { return border_; }
  void SetBorder(bool on) override { border_ = on; }
  ColourRef Colour() const override { return colour_; }
  void SetColour(ColourRef colour) override { colour_ = colour; }
  void BringToFront() override {
    if (area_) RaiseChild(*area_, *this);
  }
  void SendToBack() override {
    if (area_) LowerChild(*area_, *this);
  }
  PageArea* Parent() const override { return AsPageArea(area_); }
  void Repaint() override { ++repaints_; }

  int RepaintCount() const { return repaints_; }

 protected:
  std::u16string& MutableText() { return text_; }

 private:
  std::u16string WideName() const { return std::u16string(name_.begin(), name_.end()); }

  WidgetKind kind_;
  HeadlessPageArea* area_;
  std::string name_;
  Rect bounds_;
  bool enabled_ = true;
  bool visible_ = true;
  std::u16string text_;
  FontSpec font_;
  bool auto_size_ = false;
  bool word_wrap_ = false;
  bool transparent_ = false;
  bool border_ = false;
  ColourRef colour_ = 0xFFFFFF;
  int repaints_ = 0;
};

class HeadlessLabel : public Control<Label> {
 public:
  explicit HeadlessLabel(HeadlessPageArea* area) : Control(WidgetKind::Label, area) {}
};

class HeadlessEdit : public Control<Edit> {
 public:
  explicit HeadlessEdit(HeadlessPageArea* area) : Control(WidgetKind::Edit, area) {}
  void SetText(std::u16string text) override;
  void SetOnChange(std::function<void()> on_change) override { on_change_ = std::move(on_change); }

 private:
  std::function<void()> on_change_;
};

class HeadlessFolderTree : public Control<FolderTree> {
 public:
  explicit HeadlessFolderTree(HeadlessPageArea* area) : Control(WidgetKind::FolderTree, area) {}
  bool SelectFolder(std::string_view folder, bool expand) override;
  std::string SelectedFolder() const override { return selected_; }
  void Clear() override;
  void SetOnChange(std::function<void()> on_change) override { on_change_ = std::move(on_change); }
  // The folders opened on the way to selections made with `expand`.
  const std::vector<std::string>& ExpandedFolders() const { return expanded_; }

 private:
  std::string selected_;
  std::vector<std::string> expanded_;
  std::function<void()> on_change_;
};

class HeadlessButton : public Control<Button> {
 public:
  explicit HeadlessButton(HeadlessPageArea* area) : Control(WidgetKind::Button, area) {}
  void SetOnClick(std::function<void()> on_click) override { on_click_ = std::move(on_click); }
  bool Click() override;
  void SetDropDownMark(bool on) override { drop_down_mark_ = on; }
  bool DropDownMark() const { return drop_down_mark_; }

 private:
  std::function<void()> on_click_;
  bool drop_down_mark_ = false;
};

class HeadlessPicture : public Control<Picture> {
 public:
  explicit HeadlessPicture(HeadlessPageArea* area) : Control(WidgetKind::Picture, area) {}
  bool SetPicture(std::string bytes, std::string_view format) override;
  bool HasPicture() const override { return !bytes_.empty(); }
  void SetStretch(bool on) override { stretch_ = on; }
  bool Stretch() const override { return stretch_; }
  void SetCenter(bool on) override { center_ = on; }
  bool Center() const override { return center_; }
  const std::string& PictureBytes() const { return bytes_; }
  const std::string& PictureFormat() const { return format_; }

 private:
  std::string bytes_;
  std::string format_;
  bool stretch_ = false;
  bool center_ = false;
};

class HeadlessPanel : public Control<Panel> {
 public:
  explicit HeadlessPanel(HeadlessPageArea* area) : Control(WidgetKind::Panel, area) {}
};

class HeadlessBevel : public Control<Bevel> {
 public:
  explicit HeadlessBevel(HeadlessPageArea* area) : Control(WidgetKind::Bevel, area) {}
};

class HeadlessMemo : public Control<Memo> {
 public:
  explicit HeadlessMemo(HeadlessPageArea* area) : Control(WidgetKind::Memo, area) {}
  std::vector<std::u16string> Lines() const override;
  void SetLines(std::vector<std::u16string> lines) override;
};

class HeadlessRichEdit : public Control<RichEdit> {
 public:
  explicit HeadlessRichEdit(HeadlessPageArea* area) : Control(WidgetKind::RichEdit, area) {}
  void SetText(std::u16string text) override;
  void LoadContent(std::string_view bytes) override;
  const std::string& Content() const override { return content_; }
  void AddLine(std::u16string line) override;
  void Clear() override;

 private:
  std::string content_;
};

class HeadlessGauge : public Control<Gauge> {
 public:
  explicit HeadlessGauge(HeadlessPageArea* area) : Control(WidgetKind::Gauge, area) {}
  void SetOnPaint(std::function<void(Canvas&)> on_paint) override {
    on_paint_ = std::move(on_paint);
  }
  // Paints into a fresh canvas of the control's size.
  void Repaint() override;
  // The result of the last Repaint(), if any.
  const MemoryCanvas* LastPaint() const { return last_paint_ ? &*last_paint_ : nullptr; }

 private:
  std::function<void(Canvas&)> on_paint_;
  std::optional<MemoryCanvas> last_paint_;
};

// Owns its children; `order_` is the z-order, rearmost first.
class HeadlessPageArea : public Control<PageArea> {
 public:
  HeadlessPageArea() : Control(WidgetKind::Panel, nullptr) {}
  Widget& Create(WidgetKind kind) override;
  std::vector<Widget*> Children() const override { return order_; }

  void Raise(const Widget& child);
  void Lower(const Widget& child);

 protected:
  // Makes the control that Create adds. Front-ends built on these in-memory
  // controls (the terminal) make their own kinds.
  virtual std::unique_ptr<Widget> Make(WidgetKind kind);

 private:
  std::vector<std::unique_ptr<Widget>> owned_;
  std::vector<Widget*> order_;
};

}  // namespace wizpak::gui::headless
