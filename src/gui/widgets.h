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

// Properties every control has. A kind that has no use for a property (a
// bevel's text, a button's word-wrap) keeps and reports it but does not show
// it; the layout parser decides which keys a kind accepts.
class Widget {
 public:
  virtual ~Widget() = default;
  Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  virtual WidgetKind Kind() const = 0;

  virtual const std::string& Name() const = 0;
  virtual void SetName(std::string name) = 0;

  virtual Rect Bounds() const = 0;
  virtual void SetBounds(const Rect& bounds) = 0;
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

  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;

  // Caption or content text; "\r" (or "\r\n") breaks lines.
  virtual const std::u16string& Text() const = 0;
  virtual void SetText(std::u16string text) = 0;

  virtual const FontSpec& Font() const = 0;
  virtual void SetFont(const FontSpec& font) = 0;

  virtual bool AutoSize() const = 0;
  virtual void SetAutoSize(bool on) = 0;
  virtual bool WordWrap() const = 0;
  virtual void SetWordWrap(bool on) = 0;
  virtual bool Transparent() const = 0;
  virtual void SetTransparent(bool on) = 0;
  virtual bool Border() const = 0;
  virtual void SetBorder(bool on) = 0;

  // Background colour (panels, the page area; others may ignore it).
  virtual ColourRef Colour() const = 0;
  virtual void SetColour(ColourRef colour) = 0;

  // Z-order among the siblings of the same parent.
  virtual void BringToFront() = 0;
  virtual void SendToBack() = 0;

  // The page area this control lives on; null for the form's own controls.
  virtual PageArea* Parent() const = 0;

  // Redraws at once, without waiting for the message loop.
  virtual void Repaint() = 0;
};

class Label : public Widget {};

// Single-line edit box. The change callback runs whenever the text is set,
// by the user or by SetText, and also when the new text equals the old one.
class Edit : public Widget {
 public:
  virtual void SetOnChange(std::function<void()> on_change) = 0;
};

// Folder tree over the drive map. Paths are program paths ("C:\Games\").
class FolderTree : public Widget {
 public:
  // Selects `folder` (which should exist; a trailing "\" is allowed) and, with
  // `expand`, opens the nodes on the way to it. Runs the change callback when
  // the selection changes. False when the folder cannot be shown.
  virtual bool SelectFolder(std::string_view folder, bool expand) = 0;
  // The selected folder with a trailing "\", or "" when nothing is selected.
  virtual std::string SelectedFolder() const = 0;
  // Drops the selection and collapses every node.
  virtual void Clear() = 0;
  virtual void SetOnChange(std::function<void()> on_change) = 0;
};

class Button : public Widget {
 public:
  virtual void SetOnClick(std::function<void()> on_click) = 0;
  // Presses the button as the user would: runs the click callback when the
  // button is visible and enabled. Returns whether it ran.
  virtual bool Click() = 0;
  // A small down-pointing triangle right of the caption (language button).
  virtual void SetDropDownMark(bool on) = 0;
};

class Picture : public Widget {
 public:
  // `format` is the file extension that names the format, any letter case:
  // "jpg"/"jpeg", "bmp", "ico", "wmf"/"emf". Decoding is the backend's; data
  // it cannot decode leaves the picture empty. Returns whether it decoded
  // (the headless backend keeps the bytes and returns true).
  virtual bool SetPicture(std::string bytes, std::string_view format) = 0;
  virtual bool HasPicture() const = 0;
  virtual void SetStretch(bool on) = 0;
  virtual bool Stretch() const = 0;
  virtual void SetCenter(bool on) = 0;
  virtual bool Center() const = 0;
};

class Panel : public Widget {};

class Bevel : public Widget {};

// Multi-line plain text. Text() joins the lines with "\r\n"; SetText splits
// at "\r\n", "\r" or "\n".
class Memo : public Widget {
 public:
  virtual std::vector<std::u16string> Lines() const = 0;
  virtual void SetLines(std::vector<std::u16string> lines) = 0;
};

// Multi-line rich text with both scroll bars.
class RichEdit : public Widget {
 public:
  // Loads the content from file bytes: RTF when they begin with "{\rtf",
  // otherwise plain ANSI text.
  virtual void LoadContent(std::string_view bytes) = 0;
  // The raw bytes last loaded ("" after SetText/AddLine/Clear).
  virtual const std::string& Content() const = 0;
  virtual void AddLine(std::u16string line) = 0;
  virtual void Clear() = 0;
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
  virtual void SetOnPaint(std::function<void(Canvas&)> on_paint) = 0;
  // Front-ends that draw no pixels (the terminal) read the bar through this
  // instead of painting it; the others need not keep it.
  virtual void SetOnRead(std::function<GaugeReading()> on_read) { (void)on_read; }
};

// The parent of all layout controls; owns them for the program's life.
// Children are kept in z-order, rearmost first.
class PageArea : public Widget {
 public:
  // Creates a control of `kind` on this page area. The page area owns it;
  // the reference stays valid until the page area is destroyed.
  virtual Widget& Create(WidgetKind kind) = 0;
  virtual std::vector<Widget*> Children() const = 0;

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

  virtual void SetCaption(std::u16string caption) = 0;
  virtual const std::u16string& Caption() const = 0;
  // The window's icon from the bytes of an icon file (the title bar and task
  // bar show it); front-ends whose program carries its own icon ignore it.
  virtual void SetIcon(std::string_view /*ico_bytes*/) {}

  // The language pop-up menu.
  virtual void SetMenuItems(std::vector<MenuItem> items) = 0;
  virtual const std::vector<MenuItem>& MenuItems() const = 0;
  // Puts the check mark on exactly the items whose tag is `tag`.
  virtual void CheckMenuItemWithTag(int tag) = 0;
  // Opens the menu at the lower left corner of `anchor`; the item chosen (if
  // any) runs its callback.
  virtual void PopupMenuBelow(Widget& anchor) = 0;

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
  virtual void SetOnCloseQuery(std::function<bool()> on_close_query) = 0;
  // Runs once the form has closed.
  virtual void SetOnClose(std::function<void()> on_close) = 0;
  // Asks the close query and closes when it agrees. Returns whether closed.
  virtual bool Close() = 0;
  virtual bool IsClosed() const = 0;

  virtual void Show() = 0;

 private:
  Button* default_button_ = nullptr;
  Widget* focus_ = nullptr;
};

// The small window shown while the package is verified: "Verifying
// Contents", client 321 x 70, Label1 at 8,8, StatusLabel at 8,32 and a
// smooth progress bar at 8,48 305 x 16.
class VerifyWindow {
 public:
  virtual ~VerifyWindow() = default;
  // StatusLabel's caption (ANSI text).
  virtual void SetStatus(std::string_view text) = 0;
  virtual const std::string& Status() const = 0;
  // ProgressBar1; the minimum is always 0.
  virtual void SetProgressMax(int64_t max) = 0;
  virtual void SetProgressPosition(int64_t position) = 0;
  virtual int64_t ProgressMax() const = 0;
  virtual int64_t ProgressPosition() const = 0;
  virtual void Show() = 0;
  virtual void Repaint() = 0;
  virtual void Close() = 0;
  virtual bool IsShown() const = 0;
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
  virtual void SetApplicationTitle(std::u16string title) = 0;
  virtual const std::u16string& ApplicationTitle() const = 0;
  // The words the front-end writes on its own, in the wizard's language.
  virtual void SetOwnWords(FrontEndWords) {}

  // Handles pending window messages and returns (the progress hook).
  virtual void ProcessMessages() = 0;
  // Shows `form` and runs the message loop until it closes.
  virtual void Run(MainForm& form) = 0;
};

}  // namespace wizpak::gui
