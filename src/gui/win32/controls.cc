#include "gui/win32/controls.h"

#include <commctrl.h>

#include "gui/memo_lines.h"
#include "gui/win32/dib_canvas.h"
#include "gui/win32/page_area.h"

namespace wizpak::gui::win32 {

void RaiseOnSurface(PageSurface& surface, Widget& child) {
  surface.Raise(child);
}
void LowerOnSurface(PageSurface& surface, Widget& child) {
  surface.Lower(child);
}
PageArea* AsPageArea(PageSurface* surface) {
  return surface;
}
COLORREF SurfaceColour(const PageSurface* surface) {
  return surface ? surface->BackColour() : GetSysColor(COLOR_BTNFACE);
}
HBRUSH SurfaceBrush(const PageSurface* surface) {
  return surface && surface->BackBrush() ? surface->BackBrush() : GetSysColorBrush(COLOR_BTNFACE);
}

void PaintBehind(const PageSurface* surface, const Widget& child, HDC dc) {
  if (surface) {
    surface->PaintBehind(child, dc);
    return;
  }
  const Rect b = child.Bounds();
  RECT r{0, 0, b.width, b.height};
  ::FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

bool ShowsNameAsText(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::Label:
    case WidgetKind::Edit:
    case WidgetKind::Button:
    case WidgetKind::Panel:
    case WidgetKind::Memo:
    case WidgetKind::RichEdit:
      return true;
    default:
      return false;
  }
}

namespace {

HWND MakeChild(const wchar_t* window_class, DWORD style, DWORD ex_style, HWND parent) {
  return CreateWindowExW(ex_style, window_class, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                         ModuleHandle(), nullptr);
}

void ChangeStyle(HWND hwnd, LONG_PTR add, LONG_PTR remove) {
  if (!hwnd) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~remove) | add);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void ChangeExStyle(HWND hwnd, LONG_PTR add, LONG_PTR remove) {
  if (!hwnd) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, (style & ~remove) | add);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

std::u16string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return FromWide(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

// Text colour for controls whose font was given a colour of its own.
void ApplyFontColour(HDC dc, const FontSpec& font) {
  SetTextColor(dc, ToColorRef(font.colour));
}

}  // namespace

// ---- Label -------------------------------------------------------------------

NativeLabel::NativeLabel(PageSurface* surface, HWND parent) : Control(WidgetKind::Label, surface) {
  Adopt(MakeChild(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, parent));
}

void NativeLabel::ApplyText() {
  Control::ApplyText();
  Invalidate();
}

void NativeLabel::ApplyStyle() {
  if (WordWrap())
    ChangeStyle(Handle(), SS_LEFT, SS_LEFTNOWORDWRAP);
  else
    ChangeStyle(Handle(), SS_LEFTNOWORDWRAP, SS_LEFT);
}

void NativeLabel::Refit() {
  if (!AutoSize() || !Handle()) return;
  HDC dc = GetDC(Handle());
  if (!dc) return;
  HGDIOBJ old_font = SelectObject(dc, FontFor(Font()));
  const std::u16string text = WithCrLf(Text());
  Rect bounds = Bounds();
  RECT r{0, 0, WordWrap() ? bounds.width : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_LEFT | (WordWrap() ? DT_WORDBREAK : 0);
  // An empty caption still takes the height of one line.
  const std::u16string measured = text.empty() ? std::u16string(u" ") : text;
  DrawTextW(dc, Wide(measured), static_cast<int>(measured.size()), &r, flags);
  SelectObject(dc, old_font);
  ReleaseDC(Handle(), dc);
  if (!WordWrap()) bounds.width = text.empty() ? 0 : r.right - r.left;
  bounds.height = r.bottom - r.top;
  StoreBounds(bounds);
  ApplyBounds();
}

HBRUSH NativeLabel::OnControlColour(HDC dc) {
  ApplyFontColour(dc, Font());
  SetBkColor(dc, SurfaceColour(Surface()));
  if (!Transparent()) return SurfaceBrush(Surface());
  // The glyphs go over whatever lies behind the label.
  PaintBehind(Surface(), *this, dc);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

// ---- Edit --------------------------------------------------------------------

NativeEdit::NativeEdit(PageSurface* surface, HWND parent) : Control(WidgetKind::Edit, surface) {
  Adopt(MakeChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE, parent));
}

void NativeEdit::SetText(std::u16string text) {
  setting_text_ = true;
  Control::SetText(std::move(text));
  setting_text_ = false;
  // As the interface promises: the callback runs even when the text is the
  // same as before.
  if (on_change_) {
    auto handler = on_change_;
    handler();
  }
}

void NativeEdit::OnCommand(WORD code) {
  if (code != EN_CHANGE || setting_text_) return;
  StoreTypedText(WindowText(Handle()));
  if (on_change_) {
    auto handler = on_change_;
    handler();
  }
}

HBRUSH NativeEdit::OnControlColour(HDC dc) {
  if (Font().parent_font) return nullptr;
  ApplyFontColour(dc, Font());
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void NativeEdit::Refit() {
  if (!AutoSize() || !Handle()) return;
  HDC dc = GetDC(Handle());
  if (!dc) return;
  HGDIOBJ old_font = SelectObject(dc, FontFor(Font()));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(Handle(), dc);
  // One line of text, its leading and the sunken edge.
  Rect bounds = Bounds();
  bounds.height = metrics.tmHeight + metrics.tmHeight / 4 + 4 * GetSystemMetrics(SM_CYBORDER);
  StoreBounds(bounds);
  ApplyBounds();
}

// ---- Button ------------------------------------------------------------------

NativeButton::NativeButton(PageSurface* surface, HWND parent)
    : Control(WidgetKind::Button, surface) {
  Adopt(MakeChild(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, parent));
}

bool NativeButton::Click() {
  if (!Visible() || !Enabled()) return false;
  if (on_click_) {
    // Copied: the handler may replace itself.
    auto handler = on_click_;
    handler();
  }
  return true;
}

void NativeButton::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

namespace {

// A 9 x 6 black triangle pointing down, on a transparent ground.
HIMAGELIST DropDownMarkImages() {
  constexpr int kWidth = 9;
  constexpr int kHeight = 6;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      // Row y covers the columns y .. 8 - y: 9, 7, 5, 3, 1 pixels, then none.
      const bool ink = x >= y && x <= kWidth - 1 - y;
      pixels[y * kWidth + x] = ink ? 0xFF000000u : 0x00000000u;
    }
  }
  HIMAGELIST list = ImageList_Create(kWidth, kHeight, ILC_COLOR32, 1, 0);
  if (list) ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  return list;
}

}  // namespace

void NativeButton::SetDropDownMark(bool on) {
  drop_down_mark_ = on;
  if (!Handle()) return;
  BUTTON_IMAGELIST images{};
  images.himl = nullptr;
  if (on) {
    if (!mark_images_) {
      HIMAGELIST list = DropDownMarkImages();
      if (list) {
        mark_images_ = std::shared_ptr<void>(
            list, [](void* p) { ImageList_Destroy(static_cast<HIMAGELIST>(p)); });
      }
    }
    images.himl = static_cast<HIMAGELIST>(mark_images_.get());
  }
  // The picture sits right of the caption.
  images.uAlign = BUTTON_IMAGELIST_ALIGN_RIGHT;
  images.margin = RECT{0, 0, 6, 0};
  SendMessageW(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
  Invalidate();
}

// ---- Memo --------------------------------------------------------------------

NativeMemo::NativeMemo(PageSurface* surface, HWND parent) : Control(WidgetKind::Memo, surface) {
  Adopt(MakeChild(L"EDIT", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_LEFT, 0,
                  parent));
}

std::vector<std::u16string> NativeMemo::Lines() const {
  return SplitMemoLines(Text());
}

void NativeMemo::SetLines(std::vector<std::u16string> lines) {
  std::u16string text = JoinMemoLines(lines);
  setting_text_ = true;
  SetText(std::move(text));
  setting_text_ = false;
}

void NativeMemo::OnCommand(WORD code) {
  if (code != EN_CHANGE || setting_text_) return;
  StoreTypedText(WindowText(Handle()));
}

HBRUSH NativeMemo::OnControlColour(HDC dc) {
  if (Font().parent_font) return nullptr;
  ApplyFontColour(dc, Font());
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void NativeMemo::ApplyStyle() {
  if (Border())
    ChangeExStyle(Handle(), WS_EX_CLIENTEDGE, 0);
  else
    ChangeExStyle(Handle(), 0, WS_EX_CLIENTEDGE);
}

// ---- Panel -------------------------------------------------------------------

NativePanel::NativePanel(PageSurface* surface, HWND parent) : Control(WidgetKind::Panel, surface) {
  Adopt(MakeChild(L"WizpakPanel", 0, 0, parent));
  SetColour(GetSysColor(COLOR_BTNFACE));
}

void NativePanel::Paint(HDC dc) {
  RECT r{};
  GetClientRect(Handle(), &r);
  GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorRef(Colour())));
  ::FillRect(dc, &r, brush.get());
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  HGDIOBJ old_font = SelectObject(dc, FontFor(Font()));
  SetBkMode(dc, TRANSPARENT);
  ApplyFontColour(dc, Font());
  const std::u16string& text = Text();
  DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old_font);
}

// ---- Bevel -------------------------------------------------------------------

NativeBevel::NativeBevel(PageSurface* surface, HWND parent) : Control(WidgetKind::Bevel, surface) {
  Adopt(MakeChild(L"WizpakBevel", 0, 0, parent));
}

void NativeBevel::ApplyBounds() {
  Control::ApplyBounds();
  if (!Handle()) return;
  const Rect b = Bounds();
  // The frame is one pixel wide: the window is the outer ring only.
  HRGN outer = CreateRectRgn(0, 0, b.width, b.height);
  if (b.width > 2 && b.height > 2) {
    HRGN inner = CreateRectRgn(1, 1, b.width - 1, b.height - 1);
    CombineRgn(outer, outer, inner, RGN_DIFF);
    DeleteObject(inner);
  }
  // The window owns the region from here on.
  SetWindowRgn(Handle(), outer, TRUE);
}

void NativeBevel::Paint(HDC dc) {
  RECT r{};
  GetClientRect(Handle(), &r);
  ::FillRect(dc, &r, SurfaceBrush(Surface()));
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

// ---- Gauge -------------------------------------------------------------------

NativeGauge::NativeGauge(PageSurface* surface, HWND parent) : Control(WidgetKind::Gauge, surface) {
  Adopt(MakeChild(L"WizpakGauge", 0, 0, parent));
}

void NativeGauge::Repaint() {
  if (!Handle() || !Visible() || !IsWindowVisible(Handle())) return;
  HDC dc = GetDC(Handle());
  if (!dc) return;
  Paint(dc);
  ReleaseDC(Handle(), dc);
  ValidateRect(Handle(), nullptr);
}

void NativeGauge::Paint(HDC dc) {
  const Rect b = Bounds();
  DibCanvas canvas(b.width, b.height, Colour());
  if (on_paint_) on_paint_(canvas);
  canvas.CopyTo(dc, 0, 0);
}

}  // namespace wizpak::gui::win32
