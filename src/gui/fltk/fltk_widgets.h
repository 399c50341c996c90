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
#include "gui/pictures/picture_decode.h"
#include "gui/richtext/rich_text.h"
#include "gui/widgets.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

class FltkPageArea;

// The page area's colour behind a control (the form's face without one).
ColourRef AreaColour(const PageArea* area);

// The FLTK widget that shows a control of one of the widget interfaces.
// Subclasses create the widget, hand it to Attach, and redraw it from the
// stored properties in Refresh, which runs after every change.
template <class Interface>
class FltkControl : public Interface {
 public:
  explicit FltkControl(PageArea* area) : Interface(area) {}
  FltkControl() = default;  // the page area, which has no parent

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
  void Apply(Property) override { Update(); }
  // Applies the properties to the widget. The base places, shows and
  // enables it; subclasses set their own properties first and call it.
  virtual void Refresh() {
    Rect r = this->Bounds();
    if (std::optional<Rect> own = OwnSize()) r = *own;
    // A window's children are placed in its own coordinates; a group's in
    // those of the window it is in.
    const bool in_window = group_->as_window() != nullptr;
    const int x0 = in_window ? 0 : group_->x();
    const int y0 = in_window ? 0 : group_->y();
    view_->resize(x0 + r.left, y0 + r.top, r.width, r.height);
    const bool visible = this->Visible();
    if (visible && !view_->visible()) view_->show();
    if (!visible && view_->visible()) view_->hide();
    if (this->Enabled()) {
      view_->activate();
    } else {
      view_->deactivate();
    }
  }
  // A size the control gives itself (auto-sized labels); null: the bounds.
  virtual std::optional<Rect> OwnSize() const { return std::nullopt; }
  ColourRef BackgroundBehind() const { return AreaColour(this->Parent()); }

  void Update() {
    if (!view_) return;
    DamageUnder(*view_);
    Refresh();
    DamageUnder(*view_);
    view_->redraw();
  }

 private:
  Fl_Widget* view_ = nullptr;
  Fl_Group* group_ = nullptr;
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

 private:
  void Refresh() override;
  static void TypedIn(Fl_Widget* widget, void* self);
  Fl_Input view_;
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
  void Clear() override;

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
  bool selecting_ = false;
};

class FltkButton : public FltkControl<Button> {
 public:
  FltkButton(FltkPageArea* area, Fl_Group& group);
  ButtonView& ViewButton() { return view_; }

 private:
  void Refresh() override;
  static void Pressed(Fl_Widget* widget, void* self);
  ButtonView view_;
  std::string caption_;
};

class FltkPicture : public FltkControl<Picture> {
 public:
  FltkPicture(FltkPageArea* area, Fl_Group& group);
  bool SetPicture(std::string bytes, std::string_view format) override;
  bool HasPicture() const override { return image_ != nullptr; }

 private:
  void Paint(PaintedView& view);
  void Rebuild();
  PaintedView view_;
  RgbaImage decoded_;
  std::vector<uint8_t> shown_pixels_;  // decoded_, with the key colour cleared
  std::unique_ptr<Fl_RGB_Image> image_;
  std::unique_ptr<Fl_Image> scaled_;
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

 private:
  void Refresh() override;
  TextBox box_;
};

class FltkRichEdit : public FltkControl<RichEdit> {
 public:
  FltkRichEdit(FltkPageArea* area, Fl_Group& group);
  Fl_Text_Display& Display() { return box_.View(); }

 private:
  void Refresh() override;
  TextBox box_;
};

class FltkGauge : public FltkControl<Gauge> {
 public:
  FltkGauge(FltkPageArea* area, Fl_Group& group);

 private:
  void Paint(PaintedView& view);
  PaintedView view_;
};

// The page area: a flat group in the page colour holding every control.
class FltkPageArea : public FltkControl<PageArea> {
 public:
  // Placed on `parent` (the form's window) at the bounds it is given.
  explicit FltkPageArea(Fl_Group& parent);
  ~FltkPageArea() override;
  Fl_Group& Group() { return group_; }

 private:
  std::unique_ptr<Widget> Make(WidgetKind kind) override;
  void Restacked(Widget& child, Stacking how) override;
  void Refresh() override;

  AreaGroup group_;
  std::vector<std::pair<const Widget*, Fl_Widget*>> views_;  // in the order made
};

// The FLTK widget that takes the keyboard focus for `widget` (buttons, edit
// boxes, folder trees, text boxes); null for the others.
Fl_Widget* FocusView(Widget& widget);

}  // namespace wizpak::gui::fltk
