// The layout controls of the FLTK front-end. Each keeps every property as
// the headless controls do (the wizard reads the same values back) and
// mirrors it onto an FLTK widget that draws it. The page area owns its
// controls and keeps their widgets stacked in z-order.
#pragma once

#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Tree.H>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/fltk/fltk_views.h"
#include "gui/fltk/underlined_text_display.h"
#include "gui/headless/headless_widgets.h"
#include "gui/pictures/picture_decode.h"
#include "gui/richtext/rich_text.h"
#include "gui/widgets.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

class FltkPageArea;

// Page-area services the controls need (defined with FltkPageArea).
void RaiseChild(FltkPageArea& area, const Widget& child);
void LowerChild(FltkPageArea& area, const Widget& child);
PageArea* AsPageArea(FltkPageArea* area);
ColourRef AreaColour(const FltkPageArea* area);

// Properties shared by all controls, and the FLTK widget that shows them.
// Subclasses create the widget, hand it to Attach, and redraw it from the
// properties in Refresh.
template <class Interface>
class FltkControl : public Interface {
 public:
  FltkControl(WidgetKind kind, FltkPageArea* area) : kind_(kind), area_(area) {
    if (kind == WidgetKind::Label) auto_size_ = true;
  }

  WidgetKind Kind() const override { return kind_; }
  const std::string& Name() const override { return name_; }
  void SetName(std::string name) override {
    // A text that still equals the old name follows the name.
    if (headless::ShowsNameAsText(kind_) && text_ == WideName()) {
      name_ = std::move(name);
      SetText(WideName());
      return;
    }
    name_ = std::move(name);
  }
  Rect Bounds() const override { return bounds_; }
  void SetBounds(const Rect& bounds) override {
    bounds_ = bounds;
    Update();
  }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    Update();
  }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override {
    visible_ = visible;
    Update();
  }
  const std::u16string& Text() const override { return text_; }
  void SetText(std::u16string text) override {
    text_ = std::move(text);
    Update();
  }
  const FontSpec& Font() const override { return font_; }
  void SetFont(const FontSpec& font) override {
    font_ = font;
    Update();
  }
  bool AutoSize() const override { return auto_size_; }
  void SetAutoSize(bool on) override {
    auto_size_ = on;
    Update();
  }
  bool WordWrap() const override { return word_wrap_; }
  void SetWordWrap(bool on) override {
    word_wrap_ = on;
    Update();
  }
  bool Transparent() const override { return transparent_; }
  void SetTransparent(bool on) override {
    transparent_ = on;
    Update();
  }
  bool Border() const override { return border_; }
  void SetBorder(bool on) override {
    border_ = on;
    Update();
  }
  ColourRef Colour() const override { return colour_; }
  void SetColour(ColourRef colour) override {
    colour_ = colour;
    Update();
  }
  void BringToFront() override {
    if (area_) RaiseChild(*area_, *this);
  }
  void SendToBack() override {
    if (area_) LowerChild(*area_, *this);
  }
  PageArea* Parent() const override { return AsPageArea(area_); }
  void Repaint() override {
    if (view_) DamageUnder(*view_);
    FlushNow();
  }

  // The widget that shows this control (null before Attach).
  Fl_Widget* View() const { return view_; }
  // Adds `view` to `group` at the control's place (window coordinates are
  // the group's origin plus the bounds).
  void Attach(Fl_Widget& view, Fl_Group& group) {
    view_ = &view;
    group_ = &group;
    group.add(view);
    Update();
  }

 protected:
  // Applies the properties to the widget. The base places, shows and
  // enables it; subclasses set their own properties first and call it.
  virtual void Refresh() {
    Rect r = bounds_;
    if (std::optional<Rect> own = OwnSize()) r = *own;
    // A window's children are placed in its own coordinates; a group's in
    // those of the window it is in.
    const bool in_window = group_->as_window() != nullptr;
    const int x0 = in_window ? 0 : group_->x();
    const int y0 = in_window ? 0 : group_->y();
    view_->resize(x0 + r.left, y0 + r.top, r.width, r.height);
    if (visible_ && !view_->visible()) view_->show();
    if (!visible_ && view_->visible()) view_->hide();
    if (enabled_) {
      view_->activate();
    } else {
      view_->deactivate();
    }
  }
  // A size the control gives itself (auto-sized labels); null: the bounds.
  virtual std::optional<Rect> OwnSize() const { return std::nullopt; }
  ColourRef BackgroundBehind() const { return AreaColour(area_); }
  FltkPageArea* Area() const { return area_; }

  void Update() {
    if (!view_) return;
    DamageUnder(*view_);
    Refresh();
    DamageUnder(*view_);
    view_->redraw();
  }

 private:
  std::u16string WideName() const { return std::u16string(name_.begin(), name_.end()); }

  WidgetKind kind_;
  FltkPageArea* area_;
  Fl_Widget* view_ = nullptr;
  Fl_Group* group_ = nullptr;
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
};

class FltkLabel : public FltkControl<Label> {
 public:
  FltkLabel(FltkPageArea* area, Fl_Group& group);

 private:
  std::optional<Rect> OwnSize() const override;
  void Paint(PaintedView& view);
  PaintedView view_;
};

class FltkEdit : public FltkControl<Edit> {
 public:
  FltkEdit(FltkPageArea* area, Fl_Group& group);
  void SetText(std::u16string text) override;
  void SetOnChange(std::function<void()> on_change) override { on_change_ = std::move(on_change); }

 private:
  void Refresh() override;
  static void Typed(Fl_Widget* widget, void* self);
  Fl_Input view_;
  std::function<void()> on_change_;
  bool typing_ = false;
};

// The tree widget: the arrow keys move the selection, not only the focus
// frame, as in a Windows tree view.
class FolderTreeView : public Fl_Tree {
 public:
  FolderTreeView() : Fl_Tree(0, 0, 0, 0) {}
  int handle(int event) override;
};

// Drives, then their folders, read from the drive map when a node opens.
class FltkFolderTree : public FltkControl<FolderTree> {
 public:
  FltkFolderTree(FltkPageArea* area, Fl_Group& group);
  bool SelectFolder(std::string_view folder, bool expand) override;
  std::string SelectedFolder() const override { return selected_; }
  void Clear() override;
  void SetOnChange(std::function<void()> on_change) override { on_change_ = std::move(on_change); }

  // The labels of `item`'s children after opening it (tests).
  Fl_Tree& Tree() { return view_; }

 private:
  struct Node {
    std::string path;  // program path with trailing "\"
    bool filled = false;
  };
  void Refresh() override;
  void AddDrives();
  Fl_Tree_Item* AddNode(Fl_Tree_Item* parent, const std::string& label, std::string path);
  void Fill(Fl_Tree_Item* item);
  static void Changed(Fl_Widget* widget, void* self);

  FolderTreeView view_;
  std::deque<Node> nodes_;
  std::string selected_;
  std::function<void()> on_change_;
  bool selecting_ = false;
};

class FltkButton : public FltkControl<Button> {
 public:
  FltkButton(FltkPageArea* area, Fl_Group& group);
  void SetOnClick(std::function<void()> on_click) override { on_click_ = std::move(on_click); }
  bool Click() override;
  void SetDropDownMark(bool on) override { view_.SetDropDownMark(on); }
  ButtonView& ViewButton() { return view_; }

 private:
  void Refresh() override;
  static void Pressed(Fl_Widget* widget, void* self);
  ButtonView view_;
  std::string caption_;
  std::function<void()> on_click_;
};

class FltkPicture : public FltkControl<Picture> {
 public:
  FltkPicture(FltkPageArea* area, Fl_Group& group);
  bool SetPicture(std::string bytes, std::string_view format) override;
  bool HasPicture() const override { return image_ != nullptr; }
  void SetStretch(bool on) override;
  bool Stretch() const override { return stretch_; }
  void SetCenter(bool on) override;
  bool Center() const override { return center_; }

 private:
  void Paint(PaintedView& view);
  void Rebuild();
  PaintedView view_;
  RgbaImage decoded_;
  std::vector<uint8_t> shown_pixels_;  // decoded_, with the key colour cleared
  std::unique_ptr<Fl_RGB_Image> image_;
  std::unique_ptr<Fl_Image> scaled_;
  bool stretch_ = false;
  bool center_ = false;
  bool keyed_ = false;  // whether shown_pixels_ was built transparent
};

class FltkPanel : public FltkControl<Panel> {
 public:
  FltkPanel(FltkPageArea* area, Fl_Group& group);

 private:
  void Paint(PaintedView& view);
  PaintedView view_;
};

class FltkBevel : public FltkControl<Bevel> {
 public:
  FltkBevel(FltkPageArea* area, Fl_Group& group);

 private:
  void Paint(PaintedView& view);
  PaintedView view_;
};

// Memo and rich edit: a read-only text display with a style buffer.
class TextBox {
 public:
  TextBox();
  ~TextBox();
  TextBox(const TextBox&) = delete;
  TextBox& operator=(const TextBox&) = delete;
  Fl_Text_Display& View() { return *display_; }
  // Shows `text` in the control's font.
  void ShowPlain(const std::string& utf8, const FontSpec& font);
  // Shows styled runs; a run without face or size takes `font`'s.
  void ShowRich(const std::vector<TextRun>& runs, const FontSpec& font);
  void Style(bool border, bool enabled);

 private:
  std::unique_ptr<Fl_Text_Buffer> text_;
  std::unique_ptr<Fl_Text_Buffer> styles_;
  std::vector<Fl_Text_Display::Style_Table_Entry> table_;
  std::unique_ptr<UnderlinedTextDisplay> display_;
};

class FltkMemo : public FltkControl<Memo> {
 public:
  FltkMemo(FltkPageArea* area, Fl_Group& group);
  std::vector<std::u16string> Lines() const override;
  void SetLines(std::vector<std::u16string> lines) override;

 private:
  void Refresh() override;
  TextBox box_;
};

class FltkRichEdit : public FltkControl<RichEdit> {
 public:
  FltkRichEdit(FltkPageArea* area, Fl_Group& group);
  void SetText(std::u16string text) override;
  void LoadContent(std::string_view bytes) override;
  const std::string& Content() const override { return content_; }
  void AddLine(std::u16string line) override;
  void Clear() override;
  Fl_Text_Display& Display() { return box_.View(); }

 private:
  void Refresh() override;
  TextBox box_;
  std::string content_;
};

class FltkGauge : public FltkControl<Gauge> {
 public:
  FltkGauge(FltkPageArea* area, Fl_Group& group);
  void SetOnPaint(std::function<void(Canvas&)> on_paint) override {
    on_paint_ = std::move(on_paint);
    Update();
  }

 private:
  void Paint(PaintedView& view);
  PaintedView view_;
  std::function<void(Canvas&)> on_paint_;
};

// The page area: a flat group in the page colour holding every control.
class FltkPageArea : public FltkControl<PageArea> {
 public:
  // Placed on `parent` (the form's window) at the bounds it is given.
  explicit FltkPageArea(Fl_Group& parent);
  ~FltkPageArea() override;
  Widget& Create(WidgetKind kind) override;
  std::vector<Widget*> Children() const override;

  void Raise(const Widget& child);
  void Lower(const Widget& child);
  Fl_Group& Group() { return group_; }

 private:
  struct Child {
    std::unique_ptr<Widget> control;
    Fl_Widget* view = nullptr;
  };
  void Refresh() override;
  void Restack();

  AreaGroup group_;
  std::vector<Child> children_;  // z-order, rearmost first
};

// The FLTK widget that takes the keyboard focus for `widget` (buttons, edit
// boxes, folder trees, text boxes); null for the others.
Fl_Widget* FocusView(Widget& widget);

}  // namespace wizpak::gui::fltk
