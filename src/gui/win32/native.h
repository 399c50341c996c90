// The pieces every native window of the Win32 front-end shares: UTF-16 text
// for the W functions, colour references, the font cache, owned handles, and
// the link from a child window back to the control object that made it, so a
// container can hand WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* on to it.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#include "platform/win32/windows_names.h"

#include <string>
#include <string_view>

#include "gui/font.h"

namespace wizpak::gui::win32 {

// char16_t and wchar_t are both UTF-16 code units on Windows.
inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// Native edits and statics break lines only at CR LF; the wizard's texts use
// "\r" alone (and sometimes "\n"). Every lone CR or LF becomes CR LF.
std::u16string WithCrLf(std::u16string_view text);

// A system colour (top bit set, index in the low byte) becomes its current
// RGB value; other references pass unchanged.
COLORREF ToColorRef(ColourRef colour);

// Points to pixels at the screen's resolution, as a negative (character)
// font height for LOGFONTW.
int FontHeightForPoints(int points);

// Fonts made with CreateFontIndirectW from a layout font, one per distinct
// face, size and weight, kept until the program ends. Never returns null:
// a face the system does not have is substituted by GDI.
HFONT FontFor(const FontSpec& font);

// The dialog font of the wizard ("MS Shell Dlg 2", 8 points).
HFONT DefaultFont();

// An owned window handle: destroyed with its owner.
class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(HWND hwnd) : hwnd_(hwnd) {}
  ~WindowHandle() { Reset(); }
  WindowHandle(const WindowHandle&) = delete;
  WindowHandle& operator=(const WindowHandle&) = delete;
  HWND get() const { return hwnd_; }
  void Reset(HWND hwnd = nullptr) {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = hwnd;
  }

 private:
  HWND hwnd_ = nullptr;
};

// An owned GDI object (brush, bitmap, font).
template <class Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset(other.handle_);
      other.handle_ = nullptr;
    }
    return *this;
  }
  Handle get() const { return handle_; }
  void Reset(Handle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

// What a container forwards to the control object behind a child window.
class NativeControl {
 public:
  virtual ~NativeControl() = default;
  virtual HWND Handle() const = 0;
  // WM_COMMAND notification from the child (BN_CLICKED, EN_CHANGE).
  virtual void OnCommand(WORD) {}
  // WM_NOTIFY from the child; the result goes back to the sender.
  virtual LRESULT OnNotify(const NMHDR&) { return 0; }
  // WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT: the brush for the background, or
  // null for the system's default colours.
  virtual HBRUSH OnControlColour(HDC) { return nullptr; }
  // Paints the control's face into `dc` with its top-left corner at (x, y),
  // for a transparent control in front of it. Kinds that cannot leave it.
  virtual void PaintFace(HDC, int, int) {}
};

void AttachControl(HWND hwnd, NativeControl* control);
NativeControl* ControlOf(HWND hwnd);

// Hands child notifications on to their control objects. True (and `result`
// set) when the message was one of them and a control took it.
bool RouteChildMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

// A fresh child-window id (dialog navigation and DM_GETDEFID use them);
// never IDOK or IDCANCEL.
int NextControlId();

// The program's own module handle (GetModuleHandle(NULL)), which window
// classes and windows are registered under: a fact of the process, asked
// of Windows each time, not state of a run.
HINSTANCE ModuleHandle();

// Registers a window class once; `name` must be a string literal.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background,
                         HCURSOR cursor = nullptr);

// Top-left corner that centres a window of `width` x `height` on the work
// area of the primary screen.
POINT CentredOnScreen(int width, int height);

}  // namespace wizpak::gui::win32
