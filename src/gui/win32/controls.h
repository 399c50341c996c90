// Native controls of the Win32 front-end. Every control keeps the properties
// the wizard reads back (as the headless controls do) and pushes each change
// to its window: STATIC labels, EDIT boxes and memos, BUTTONs, and window
// classes of our own for pictures, panels, bevels and the gauge. The folder
// tree and the rich edit have their own headers.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/widgets.h"
#include "gui/win32/native.h"

namespace wizpak::gui::win32 {

class PageSurface;

// Moves `child` to the front or back of its page area, in the window
// z-order and in the page area's list.
void RaiseOnSurface(PageSurface& surface, Widget& child);
void LowerOnSurface(PageSurface& surface, Widget& child);
PageArea* AsPageArea(PageSurface* surface);
// The page area's background colour and a brush of it.
COLORREF SurfaceColour(const PageSurface* surface);
HBRUSH SurfaceBrush(const PageSurface* surface);

// Paints what lies behind `child` into `dc` (the child's client
// coordinates): the page colour and the pictures below it in z-order, so a
// transparent control shows them through.
void PaintBehind(const PageSurface* surface, const Widget& child, HDC dc);

bool ShowsNameAsText(WidgetKind kind);

// Properties shared by every control; `Interface` is one of the widget
// interfaces of gui/widgets.h. A derived class creates its window and hands
// it to Adopt().
template <class Interface>
class Control : public Interface, public NativeControl {
 public:
  Control(WidgetKind kind, PageSurface* surface) : kind_(kind), surface_(surface) {
    if (kind == WidgetKind::Label) auto_size_ = true;
  }

  // The window goes with the object. It is unlinked first: a window being
  // destroyed still notifies its parent (a tree view deleting its items),
  // and those notifications must not reach a half-destroyed control or the
  // callbacks it holds.
  ~Control() override {
    if (Handle()) AttachControl(Handle(), nullptr);
  }

  HWND Handle() const override { return window_.get(); }

  WidgetKind Kind() const override { return kind_; }
  const std::string& Name() const override { return name_; }
  void SetName(std::string name) override {
    // A text that still equals the old name follows the name.
    if (ShowsNameAsText(kind_) && text_ == WideName()) {
      text_ = std::u16string(name.begin(), name.end());
      name_ = std::move(name);
      ApplyText();
      Refit();
      return;
    }
    name_ = std::move(name);
  }
  Rect Bounds() const override { return bounds_; }
  // Bounds given explicitly stand until the content changes: a layout sets
  // a label's size before it turns auto-size off, and the size it gives is
  // the one meant.
  void SetBounds(const Rect& bounds) override {
    bounds_ = bounds;
    ApplyBounds();
  }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    if (Handle()) EnableWindow(Handle(), enabled ? TRUE : FALSE);
  }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override {
    visible_ = visible;
    if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
  }
  const std::u16string& Text() const override { return text_; }
  void SetText(std::u16string text) override {
    text_ = std::move(text);
    ApplyText();
    Refit();
  }
  const FontSpec& Font() const override { return font_; }
  void SetFont(const FontSpec& font) override {
    font_ = font;
    if (Handle())
      SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font_)), TRUE);
    Refit();
  }
  bool AutoSize() const override { return auto_size_; }
  void SetAutoSize(bool on) override {
    auto_size_ = on;
    Refit();
  }
  bool WordWrap() const override { return word_wrap_; }
  void SetWordWrap(bool on) override {
    word_wrap_ = on;
    ApplyStyle();
    Refit();
  }
  bool Transparent() const override { return transparent_; }
  void SetTransparent(bool on) override {
    transparent_ = on;
    Invalidate();
  }
  bool Border() const override { return border_; }
  void SetBorder(bool on) override {
    border_ = on;
    ApplyStyle();
  }
  ColourRef Colour() const override { return colour_; }
  void SetColour(ColourRef colour) override {
    colour_ = colour;
    Invalidate();
  }
  void BringToFront() override {
    if (surface_) RaiseOnSurface(*surface_, *this);
  }
  void SendToBack() override {
    if (surface_) LowerOnSurface(*surface_, *this);
  }
  PageArea* Parent() const override { return AsPageArea(surface_); }
  void Repaint() override {
    if (Handle())
      RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }

 protected:
  // Takes ownership of the control's window and brings it up to date.
  void Adopt(HWND hwnd) {
    window_.Reset(hwnd);
    AttachControl(hwnd, this);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font_)), FALSE);
    ApplyText();
    ApplyBounds();
    if (!enabled_) EnableWindow(hwnd, FALSE);
  }
  void Invalidate() {
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  }
  // The window text; kinds that draw their own text only repaint.
  virtual void ApplyText() {
    if (!Handle()) return;
    const std::u16string shown = WithCrLf(text_);
    SetWindowTextW(Handle(), Wide(shown));
  }
  virtual void ApplyBounds() {
    if (!Handle()) return;
    MoveWindow(Handle(), bounds_.left, bounds_.top, bounds_.width, bounds_.height, TRUE);
  }
  // Window styles that follow word-wrap and border.
  virtual void ApplyStyle() {}
  // Sizes the control to its content when that is asked for.
  virtual void Refit() {}

  PageSurface* Surface() const { return surface_; }
  // Keeps the stored text in step with what the user typed.
  void StoreTypedText(std::u16string text) { text_ = std::move(text); }
  void StoreBounds(const Rect& bounds) { bounds_ = bounds; }

 private:
  std::u16string WideName() const { return std::u16string(name_.begin(), name_.end()); }

  WindowHandle window_;
  WidgetKind kind_;
  PageSurface* surface_;
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

// A STATIC text. Its background is the page area's colour, or nothing at
// all when transparent; its text takes the font's colour.
class NativeLabel : public Control<Label> {
 public:
  NativeLabel(PageSurface* surface, HWND parent);
  HBRUSH OnControlColour(HDC dc) override;

 protected:
  void ApplyText() override;
  void ApplyStyle() override;
  void Refit() override;
};

// A single-line EDIT. The change callback runs for every text the program
// sets and for every change the user types.
class NativeEdit : public Control<Edit> {
 public:
  NativeEdit(PageSurface* surface, HWND parent);
  void SetText(std::u16string text) override;
  void SetOnChange(std::function<void()> on_change) override { on_change_ = std::move(on_change); }
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;

 protected:
  void Refit() override;

 private:
  std::function<void()> on_change_;
  bool setting_text_ = false;
};

// A push BUTTON; on the main form or on a page.
class NativeButton : public Control<Button> {
 public:
  NativeButton(PageSurface* surface, HWND parent);
  void SetOnClick(std::function<void()> on_click) override { on_click_ = std::move(on_click); }
  bool Click() override;
  void SetDropDownMark(bool on) override;
  void OnCommand(WORD code) override;
  bool DropDownMark() const { return drop_down_mark_; }

 private:
  std::function<void()> on_click_;
  bool drop_down_mark_ = false;
  std::shared_ptr<void> mark_images_;
};

// A multi-line EDIT that wraps words.
class NativeMemo : public Control<Memo> {
 public:
  NativeMemo(PageSurface* surface, HWND parent);
  std::vector<std::u16string> Lines() const override;
  void SetLines(std::vector<std::u16string> lines) override;
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;

 protected:
  void ApplyStyle() override;

 private:
  bool setting_text_ = false;
};

// A flat box in its own colour with a raised edge and a centred caption.
class NativePanel : public Control<Panel> {
 public:
  NativePanel(PageSurface* surface, HWND parent);
  void Paint(HDC dc);

 protected:
  void ApplyText() override { Invalidate(); }
};

// A lowered frame. Only the frame belongs to the window (a window region),
// so controls inside the box stay visible and clickable.
class NativeBevel : public Control<Bevel> {
 public:
  NativeBevel(PageSurface* surface, HWND parent);
  void Paint(HDC dc);

 protected:
  void ApplyText() override {}
  void ApplyBounds() override;
};

// Paints itself from the shared gauge model through a DIB-section canvas.
class NativeGauge : public Control<Gauge> {
 public:
  NativeGauge(PageSurface* surface, HWND parent);
  void SetOnPaint(std::function<void(Canvas&)> on_paint) override {
    on_paint_ = std::move(on_paint);
  }
  // Paints at once, without waiting for WM_PAINT.
  void Repaint() override;
  void Paint(HDC dc);

 protected:
  void ApplyText() override {}

 private:
  std::function<void(Canvas&)> on_paint_;
};

}  // namespace wizpak::gui::win32
