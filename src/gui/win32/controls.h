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

PageArea* AsPageArea(PageSurface* surface);
// The page area's background colour and a brush of it.
COLORREF SurfaceColour(const PageSurface* surface);
HBRUSH SurfaceBrush(const PageSurface* surface);

// Paints what lies behind `child` into `dc` (the child's client
// coordinates): the page colour and the pictures below it in z-order, so a
// transparent control shows them through.
void PaintBehind(const PageSurface* surface, const Widget& child, HDC dc);

// The window of a control of one of the widget interfaces of gui/widgets.h,
// which keep the properties; each change is pushed to the window. A derived
// class creates its window and hands it to Adopt().
template <class Interface>
class Control : public Interface, public NativeControl {
 public:
  explicit Control(PageSurface* surface) : Interface(AsPageArea(surface)), surface_(surface) {}
  Control() : surface_(nullptr) {}  // the page area, which has no parent

  // The window goes with the object. It is unlinked first: a window being
  // destroyed still notifies its parent (a tree view deleting its items),
  // and those notifications must not reach a half-destroyed control or the
  // callbacks it holds.
  ~Control() override {
    if (Handle()) AttachControl(Handle(), nullptr);
  }

  HWND Handle() const override { return window_.get(); }

  void Repaint() override {
    if (Handle())
      RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }

 protected:
  // Bounds given explicitly stand until the content changes: a layout sets
  // a label's size before it turns auto-size off, and the size it gives is
  // the one meant.
  void Apply(Property changed) override {
    switch (changed) {
      case Property::Bounds:
        ApplyBounds();
        break;
      case Property::Enabled:
        if (Handle()) EnableWindow(Handle(), this->Enabled() ? TRUE : FALSE);
        break;
      case Property::Visible:
        if (Handle()) ShowWindow(Handle(), this->Visible() ? SW_SHOWNA : SW_HIDE);
        break;
      case Property::Text:
        ApplyText();
        Refit();
        break;
      case Property::Font:
        if (Handle())
          SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(this->Font())), TRUE);
        Refit();
        break;
      case Property::AutoSize:
        Refit();
        break;
      case Property::WordWrap:
        ApplyStyle();
        Refit();
        break;
      case Property::Border:
        ApplyStyle();
        break;
      case Property::Transparent:
      case Property::Colour:
        Invalidate();
        break;
      default:
        break;
    }
  }
  // Takes ownership of the control's window and brings it up to date.
  void Adopt(HWND hwnd) {
    window_.Reset(hwnd);
    AttachControl(hwnd, this);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(this->Font())), FALSE);
    ApplyText();
    ApplyBounds();
    if (!this->Enabled()) EnableWindow(hwnd, FALSE);
  }
  void Invalidate() {
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  }
  // The window text; kinds that draw their own text only repaint.
  virtual void ApplyText() {
    if (!Handle()) return;
    const std::u16string shown = WithCrLf(this->Text());
    SetWindowTextW(Handle(), Wide(shown));
  }
  virtual void ApplyBounds() {
    if (!Handle()) return;
    const Rect b = this->Bounds();
    MoveWindow(Handle(), b.left, b.top, b.width, b.height, TRUE);
  }
  // Window styles that follow word-wrap and border.
  virtual void ApplyStyle() {}
  // Sizes the control to its content when that is asked for.
  virtual void Refit() {}

  PageSurface* Surface() const { return surface_; }

 private:
  WindowHandle window_;
  PageSurface* surface_;
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
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;

 protected:
  void ApplyText() override;
  void Refit() override;

 private:
  bool setting_text_ = false;
};

// A push BUTTON; on the main form or on a page.
class NativeButton : public Control<Button> {
 public:
  NativeButton(PageSurface* surface, HWND parent);
  void OnCommand(WORD code) override;

 protected:
  void Apply(Property changed) override;

 private:
  void ApplyDropDownMark();
  std::shared_ptr<void> mark_images_;
};

// A multi-line EDIT that wraps words.
class NativeMemo : public Control<Memo> {
 public:
  NativeMemo(PageSurface* surface, HWND parent);
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;

 protected:
  void ApplyStyle() override;
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
  // Paints at once, without waiting for WM_PAINT.
  void Repaint() override;
  void Paint(HDC dc);

 protected:
  void ApplyText() override {}
};

}  // namespace wizpak::gui::win32
