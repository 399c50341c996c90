// The toolkit-neutral window interface: the ten layout control kinds, the
// page area that owns them, the main wizard form, the verification window,
// the debug window and the Toolkit that creates them and runs the message
// pump. Wizard and start-up code talk only to this; backends (headless,
// fltk) implement it. Texts shown on screen are UTF-16; positions are pixels
// relative to the parent's client area.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/canvas.h"
#include "gui/font.h"
#include "gui/front_end_words.h"

namespace wizpak::gui {

enum class WidgetKind {
  Label,
  Edit,
  FolderTree,
  Button,
  Picture,
  Panel,
  Bevel,
  Memo,
  RichEdit,
  Gauge,
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

class PageArea;

// Which stored property a setter has just changed. The widget classes below
// keep every property; a backend hears each change through Apply and brings
// what it shows up to date, so reading a property never asks the backend.
enum class Property {
  Bounds,
  Enabled,
  Visible,
  Text,
  Font,
  AutoSize,
  WordWrap,
  Transparent,
  Border,
  Colour,
  DropDownMark,  // Button
  Stretch,       // Picture
  Center,        // Picture
  Content,       // RichEdit: bytes loaded (Text holds them as text too)
  Painter,       // Gauge: the paint callback
};

// Properties every control has. A kind that has no use for a property (a
// bevel's text, a button's word-wrap) keeps and reports it but does not show
// it; the layout parser decides which keys a kind accepts.
class Widget {
 public:
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  WidgetKind Kind() const { return kind_; }

  const std::string& Name() const { return name_; }
  // As the classic toolkits do: a text that still equals the old name
  // follows the name (for the kinds that show their name until given a text).
  void SetName(std::string name);

  Rect Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds) {
    bounds_ = bounds;
    Apply(Property::Bounds);
  }
  void SetLeft(int v) {
    Rect r = Bounds();
    r.left = v;
    SetBounds(r);
  }
  void SetTop(int v) {
    Rect r = Bounds();
    r.top = v;
    SetBounds(r);
  }
  void SetWidth(int v) {
    Rect r = Bounds();
    r.width = v;
    SetBounds(r);
  }
  void SetHeight(int v) {
    Rect r = Bounds();
    r.height = v;
    SetBounds(r);
  }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { Store(enabled_, enabled, Property::Enabled); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { Store(visible_, visible, Property::Visible); }

  // Caption or content text; "\r" (or "\r\n") breaks lines.
  const std::u16string& Text() const { return text_; }
  virtual void SetText(std::u16string text) {
    text_ = std::move(text);
    Apply(Property::Text);
  }

  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font) {
    font_ = font;
    Apply(Property::Font);
  }

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool on) { Store(auto_size_, on, Property::AutoSize); }
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool on) { Store(word_wrap_, on, Property::WordWrap); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) { Store(transparent_, on, Property::Transparent); }
  bool Border() const { return border_; }
  void SetBorder(bool on) { Store(border_, on, Property::Border); }

  // Background colour (panels, the page area; others may ignore it).
  ColourRef Colour() const { return colour_; }
  void SetColour(ColourRef colour) {
    colour_ = colour;
    Apply(Property::Colour);
  }

  // Z-order among the siblings of the same parent.
  void BringToFront();
  void SendToBack();

  // The page area this control lives on; null for the form's own controls.
  PageArea* Parent() const { return parent_; }

  // Redraws at once, without waiting for the message loop.
  virtual void Repaint() = 0;

 protected:
  Widget(WidgetKind kind, PageArea* parent);

  // Brings what the backend shows up to date with `changed`; runs after
  // every setter, also when the value did not change.
  virtual void Apply(Property changed) { (void)changed; }

  // Keep a value the backend already shows (text the user typed, a size
  // the control fitted itself to) without applying it again.
  void StoreText(std::u16string text) { text_ = std::move(text); }
  void StoreBounds(const Rect& bounds) { bounds_ = bounds; }

  template <class T>
  void Store(T& field, T value, Property changed) {
    field = std::move(value);
    Apply(changed);
  }

 private:
  WidgetKind kind_;
  PageArea* parent_;
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

class Label : public Widget {
 protected:
  explicit Label(PageArea* parent) : Widget(WidgetKind::Label, parent) {}
};

// Single-line edit box. The change callback runs whenever the text is set,
// by the user or by SetText, and also when the new text equals the old one.
class Edit : public Widget {
 public:
  void SetText(std::u16string text) override {
    Widget::SetText(std::move(text));
    RunOnChange();
  }
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

 protected:
  explicit Edit(PageArea* parent) : Widget(WidgetKind::Edit, parent) {}
  // The user typed `text`, which the backend already shows.
  void Typed(std::u16string text) {
    StoreText(std::move(text));
    RunOnChange();
  }

 private:
  void RunOnChange() {
    // Copied: the handler may replace itself.
    if (auto handler = on_change_) handler();
  }
  std::function<void()> on_change_;
};

// Folder tree over the drive map. Paths are program paths ("C:\Games\").
class FolderTree : public Widget {
 public:
  // Selects `folder` (which should exist; a trailing "\" is allowed) and, with
  // `expand`, opens the nodes on the way to it. Runs the change callback when
  // the selection changes. False when the folder cannot be shown.
  virtual bool SelectFolder(std::string_view folder, bool expand) = 0;
  // The selected folder with a trailing "\", or "" when nothing is selected.
  const std::string& SelectedFolder() const { return selected_; }
  // Drops the selection and collapses every node.
  virtual void Clear() = 0;
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

 protected:
  explicit FolderTree(PageArea* parent) : Widget(WidgetKind::FolderTree, parent) {}
  // `folder` (with a trailing "\") is now selected: runs the change callback
  // unless it was selected already (letter case aside).
  void Selected(std::string folder);
  void Unselected() { selected_.clear(); }
  // `folder` ending in "\" ("" stays "").
  static std::string WithTrailingBackslash(std::string_view folder);

 private:
  std::string selected_;
  std::function<void()> on_change_;
};

class Button : public Widget {
 public:
  void SetOnClick(std::function<void()> on_click) { on_click_ = std::move(on_click); }
  // Presses the button as the user would: runs the click callback when the
  // button is visible and enabled. Returns whether it ran.
  bool Click();
  // A small down-pointing triangle right of the caption (language button).
  void SetDropDownMark(bool on) { Store(drop_down_mark_, on, Property::DropDownMark); }
  bool DropDownMark() const { return drop_down_mark_; }

 protected:
  explicit Button(PageArea* parent) : Widget(WidgetKind::Button, parent) {}

 private:
  std::function<void()> on_click_;
  bool drop_down_mark_ = false;
};

class Picture : public Widget {
 public:
  // `format` is the file extension that names the format, any letter case:
  // "jpg"/"jpeg", "bmp", "ico", "wmf"/"emf". Decoding is the backend's; data
  // it cannot decode leaves the picture empty. Returns whether it decoded
  // (the headless backend keeps the bytes and returns true).
  virtual bool SetPicture(std::string bytes, std::string_view format) = 0;
  virtual bool HasPicture() const = 0;
  void SetStretch(bool on) { Store(stretch_, on, Property::Stretch); }
  bool Stretch() const { return stretch_; }
  void SetCenter(bool on) { Store(center_, on, Property::Center); }
  bool Center() const { return center_; }

 protected:
  explicit Picture(PageArea* parent) : Widget(WidgetKind::Picture, parent) {}

 private:
  bool stretch_ = false;
  bool center_ = false;
};

class Panel : public Widget {
 protected:
  explicit Panel(PageArea* parent) : Widget(WidgetKind::Panel, parent) {}
};

class Bevel : public Widget {
 protected:
  explicit Bevel(PageArea* parent) : Widget(WidgetKind::Bevel, parent) {}
};

// Multi-line plain text. Text() joins the lines with "\r\n"; SetText splits
// at "\r\n", "\r" or "\n".
class Memo : public Widget {
 public:
  std::vector<std::u16string> Lines() const;
  void SetLines(const std::vector<std::u16string>& lines);

 protected:
  explicit Memo(PageArea* parent) : Widget(WidgetKind::Memo, parent) {}
};

// Multi-line rich text with both scroll bars.
class RichEdit : public Widget {
 public:
  // Keeps the text as plain text ("" as content).
  void SetText(std::u16string text) override {
    content_.clear();
    Widget::SetText(std::move(text));
  }
  // Loads the content from file bytes: RTF when they begin with "{\rtf",
  // otherwise plain ANSI text (which Text() then holds).
  void LoadContent(std::string_view bytes);
  // The raw bytes last loaded ("" after SetText/AddLine/Clear).
  const std::string& Content() const { return content_; }
  void AddLine(const std::u16string& line);
  void Clear() { SetText(u""); }

 protected:
  explicit RichEdit(PageArea* parent) : Widget(WidgetKind::RichEdit, parent) {}

 private:
  std::string content_;
};

// What a gauge shows, for front-ends that draw it as text.
struct GaugeReading {
  int percent = 0;         // filled part of the bar, 0 to 100
  std::u16string caption;  // the text in its middle ("42%")
};

// A control whose face is painted by a callback (the gradient gauge model).
class Gauge : public Widget {
 public:
  // Called with a canvas of the control's size whenever it needs painting.
  void SetOnPaint(std::function<void(Canvas&)> on_paint) {
    Store(on_paint_, std::move(on_paint), Property::Painter);
  }
  // Front-ends that draw no pixels (the terminal) read the bar through this
  // instead of painting it.
  void SetOnRead(std::function<GaugeReading()> on_read) { on_read_ = std::move(on_read); }
  // What the bar shows; 0% with that caption when nothing reads it.
  GaugeReading Read() const;

 protected:
  explicit Gauge(PageArea* parent) : Widget(WidgetKind::Gauge, parent) {}
  // Paints the face into `canvas`; without a paint callback, fills it with
  // the control's colour.
  void DrawFace(Canvas& canvas) const;

 private:
  std::function<void(Canvas&)> on_paint_;
  std::function<GaugeReading()> on_read_;
};

// The parent of all layout controls; owns them for the program's life.
// Children are kept in z-order, rearmost first.
class PageArea : public Widget {
 public:
  // Creates a control of `kind` on this page area, in front of the others.
  // The page area owns it; the reference stays valid until the page area is
  // destroyed.
  Widget& Create(WidgetKind kind);
  const std::vector<Widget*>& Children() const { return order_; }
  // Moves `child` to the front or the back of the z-order.
  void Raise(Widget& child);
  void Lower(Widget& child);

  Label& CreateLabel() { return static_cast<Label&>(Create(WidgetKind::Label)); }
  Edit& CreateEdit() { return static_cast<Edit&>(Create(WidgetKind::Edit)); }
  FolderTree& CreateFolderTree() {
    return static_cast<FolderTree&>(Create(WidgetKind::FolderTree));
  }
  Button& CreateButton() { return static_cast<Button&>(Create(WidgetKind::Button)); }
  Picture& CreatePicture() { return static_cast<Picture&>(Create(WidgetKind::Picture)); }
  Panel& CreatePanel() { return static_cast<Panel&>(Create(WidgetKind::Panel)); }
  Bevel& CreateBevel() { return static_cast<Bevel&>(Create(WidgetKind::Bevel)); }
  Memo& CreateMemo() { return static_cast<Memo&>(Create(WidgetKind::Memo)); }
  RichEdit& CreateRichEdit() { return static_cast<RichEdit&>(Create(WidgetKind::RichEdit)); }
  Gauge& CreateGauge() { return static_cast<Gauge&>(Create(WidgetKind::Gauge)); }

 protected:
  PageArea() : Widget(WidgetKind::Panel, nullptr) {}

  enum class Stacking { Added, Front, Back };
  // Makes the backend's control of `kind` with this page area as parent.
  virtual std::unique_ptr<Widget> Make(WidgetKind kind) = 0;
  // `child` was added in front, or moved to the front or the back: the
  // backend restacks what it shows.
  virtual void Restacked(Widget& child, Stacking how) {
    (void)child;
    (void)how;
  }
  // Destroys the controls; a backend whose controls live inside its own
  // window calls it before that window goes.
  void DestroyChildren();

 private:
  std::vector<std::unique_ptr<Widget>> owned_;
  std::vector<Widget*> order_;  // z-order, rearmost first
};

struct MenuItem {
  std::u16string caption;
  int tag = 0;
  bool checked = false;
  std::function<void()> on_click;
};

// The wizard window: client area 578 x 413, not resizable, centred. The page
// area covers 0,0 578 x 375; a separator line sits at 375; the buttons are
// laid out as the wizard needs them (language 8,384 89x25; Back 344,384
// 73x25; Next 416,384 73x25; Cancel 496,384 75x25).
class MainForm {
 public:
  static constexpr int kClientWidth = 578;
  static constexpr int kClientHeight = 413;
  static constexpr int kPageAreaHeight = 375;

  virtual ~MainForm() = default;

  virtual PageArea& Pages() = 0;
  virtual Button& BackButton() = 0;
  virtual Button& NextButton() = 0;
  virtual Button& CancelButton() = 0;
  virtual Button& LanguageButton() = 0;

  void SetCaption(std::u16string caption) {
    caption_ = std::move(caption);
    ApplyCaption();
  }
  const std::u16string& Caption() const { return caption_; }
  // The window's icon from the bytes of an icon file (the title bar and task
  // bar show it); front-ends whose program carries its own icon ignore it.
  virtual void SetIcon(std::string_view /*ico_bytes*/) {}

  // The language pop-up menu.
  void SetMenuItems(std::vector<MenuItem> items) { menu_ = std::move(items); }
  const std::vector<MenuItem>& MenuItems() const { return menu_; }
  // Puts the check mark on exactly the items whose tag is `tag`.
  void CheckMenuItemWithTag(int tag);
  // Opens the menu at the lower left corner of `anchor`; the item chosen (if
  // any) runs its callback.
  virtual void PopupMenuBelow(Widget& anchor) = 0;
  // Chooses item `index` of the menu as the user would; false when out of range.
  bool ChooseMenuItem(size_t index);

  // The page's forward button (Next, Install, or Cancel when it reads
  // Finish): drawn as the default and pressed by Enter wherever the focus or
  // the pointer is, unless the focus is on another push button or inside a
  // multi-line text. Escape is always Cancel. Captions mark their Alt+letter
  // with "&" ("&&" is a plain "&"). Null: Enter presses nothing.
  virtual void SetDefaultButton(Button* button) { default_button_ = button; }
  Button* DefaultButton() const { return default_button_; }
  // Puts the keyboard focus on `widget` (one of the form's buttons or a
  // control on its page area); a hidden or disabled one does not take it.
  virtual void SetFocus(Widget& widget) { focus_ = &widget; }
  // The widget last given the focus by SetFocus (the headless answer).
  Widget* FocusedWidget() const { return focus_; }

  // Asked before closing; returning false keeps the form open.
  void SetOnCloseQuery(std::function<bool()> on_close_query) {
    on_close_query_ = std::move(on_close_query);
  }
  // Runs once the form has closed.
  void SetOnClose(std::function<void()> on_close) { on_close_ = std::move(on_close); }
  // Asks the close query and closes when it agrees. Returns whether closed.
  bool Close();
  bool IsClosed() const { return closed_; }

  virtual void Show() = 0;

 protected:
  // Shows the caption in the title.
  virtual void ApplyCaption() {}
  // The close query agreed: hide the window (before the close callback
  // runs), then let go of it (after).
  virtual void HideWindow() {}
  virtual void WindowClosed() {}
  // Names, captions and places the four buttons as the wizard has them.
  static void LayOutButtons(Button& language, Button& back, Button& next, Button& cancel);

 private:
  Button* default_button_ = nullptr;
  Widget* focus_ = nullptr;
  std::u16string caption_;
  std::vector<MenuItem> menu_;
  std::function<bool()> on_close_query_;
  std::function<void()> on_close_;
  bool closed_ = false;
};

// The small window shown while the package is verified: "Verifying
// Contents", client 321 x 70, Label1 at 8,8, StatusLabel at 8,32 and a
// smooth progress bar at 8,48 305 x 16.
class VerifyWindow {
 public:
  virtual ~VerifyWindow() = default;
  // StatusLabel's caption (ANSI text).
  void SetStatus(std::string_view text);
  const std::string& Status() const { return status_; }
  // ProgressBar1; the minimum is always 0.
  void SetProgressMax(int64_t max) {
    max_ = max;
    ApplyProgress();
  }
  void SetProgressPosition(int64_t position) {
    position_ = position;
    ApplyProgress();
  }
  int64_t ProgressMax() const { return max_; }
  int64_t ProgressPosition() const { return position_; }
  // The filled part of the bar, 0 to 1.
  double ProgressFraction() const;
  virtual void Show() = 0;
  virtual void Repaint() = 0;
  virtual void Close() = 0;
  bool IsShown() const { return shown_; }

 protected:
  // Shows the status; `differs` tells whether it differs from the one before.
  virtual void ApplyStatus(bool differs) { (void)differs; }
  virtual void ApplyProgress() {}
  void SetShown(bool shown) { shown_ = shown; }

 private:
  std::string status_ = "Status: 0 out of 0 files verifyed";
  int64_t max_ = 100;
  int64_t position_ = 0;
  bool shown_ = false;
};

// Diagnostic window: a rich edit filling an 870 x 600 window, shown modally.
class DebugWindow {
 public:
  virtual ~DebugWindow() = default;
  virtual RichEdit& Content() = 0;
  virtual void ShowModal() = 0;
};

// A front-end. One is active for the whole run (see frontend.h).
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // "headless", "fltk", "text", "win32".
  virtual std::string_view Name() const = 0;
  // True when the windows it makes are seen by a person (start-up then keeps
  // the verification window up long enough to be read); false for a
  // front-end that draws nothing, and for the terminal, whose verification
  // lines stay in view until the first page is drawn over them.
  virtual bool ShowsWindows() const { return true; }

  virtual std::unique_ptr<MainForm> CreateMainForm() = 0;
  virtual std::unique_ptr<VerifyWindow> CreateVerifyWindow() = 0;
  virtual std::unique_ptr<DebugWindow> CreateDebugWindow() = 0;

  // The application title (task bar text).
  void SetApplicationTitle(std::u16string title) { title_ = std::move(title); }
  const std::u16string& ApplicationTitle() const { return title_; }
  // The words the front-end writes on its own, in the wizard's language.
  virtual void SetOwnWords(FrontEndWords) {}

  // Handles pending window messages and returns (the progress hook).
  virtual void ProcessMessages() = 0;
  // Shows `form` and runs the message loop until it closes.
  virtual void Run(MainForm& form) = 0;

 private:
  std::u16string title_;
};

}  // namespace wizpak::gui
