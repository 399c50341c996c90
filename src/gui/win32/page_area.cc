#include "gui/win32/page_area.h"

#include <algorithm>

#include "gui/win32/folder_tree.h"
#include "gui/win32/picture.h"
#include "gui/win32/rich_edit.h"

namespace wizpak::gui::win32 {
namespace {

LRESULT CALLBACK PageAreaProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT routed = 0;
  if (RouteChildMessage(message, wparam, lparam, routed)) return routed;
  if (message == WM_ERASEBKGND) {
    auto* area = dynamic_cast<PageSurface*>(ControlOf(hwnd));
    RECT r{};
    GetClientRect(hwnd, &r);
    ::FillRect(reinterpret_cast<HDC>(wparam), &r,
               area && area->BackBrush() ? area->BackBrush() : GetSysColorBrush(COLOR_WINDOW));
    return 1;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Panels, bevels, pictures and gauges paint everything themselves.
template <class Kind>
LRESULT CALLBACK SelfDrawnProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd, &paint);
      if (auto* control = dynamic_cast<Kind*>(ControlOf(hwnd))) control->Paint(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace

void RegisterControlClasses() {
  RegisterWindowClass(L"WizpakPageArea", PageAreaProc, nullptr);
  RegisterWindowClass(L"WizpakPanel", SelfDrawnProc<NativePanel>, nullptr);
  RegisterWindowClass(L"WizpakBevel", SelfDrawnProc<NativeBevel>, nullptr);
  RegisterWindowClass(L"WizpakGauge", SelfDrawnProc<NativeGauge>, nullptr);
  RegisterWindowClass(L"WizpakPicture", SelfDrawnProc<NativePicture>, nullptr);
}

PageSurface::PageSurface(HWND parent) {
  RegisterControlClasses();
  brush_.Reset(CreateSolidBrush(ToColorRef(Colour())));
  Adopt(CreateWindowExW(WS_EX_CONTROLPARENT, L"WizpakPageArea", L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                        ModuleHandle(), nullptr));
}

// The controls' windows go before the page's own.
PageSurface::~PageSurface() {
  DestroyChildren();
}

void PageSurface::Apply(Property changed) {
  if (changed == Property::Colour) brush_.Reset(CreateSolidBrush(ToColorRef(Colour())));
  Control::Apply(changed);
  if (changed == Property::Colour && Handle())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::unique_ptr<Widget> PageSurface::Make(WidgetKind kind) {
  HWND parent = Handle();
  switch (kind) {
    case WidgetKind::Label:
      return std::make_unique<NativeLabel>(this, parent);
    case WidgetKind::Edit:
      return std::make_unique<NativeEdit>(this, parent);
    case WidgetKind::FolderTree:
      return std::make_unique<NativeFolderTree>(this, parent);
    case WidgetKind::Button:
      return std::make_unique<NativeButton>(this, parent);
    case WidgetKind::Picture:
      return std::make_unique<NativePicture>(this, parent);
    case WidgetKind::Panel:
      return std::make_unique<NativePanel>(this, parent);
    case WidgetKind::Bevel:
      return std::make_unique<NativeBevel>(this, parent);
    case WidgetKind::Memo:
      return std::make_unique<NativeMemo>(this, parent);
    case WidgetKind::RichEdit:
      return std::make_unique<NativeRichEdit>(this, parent);
    case WidgetKind::Gauge:
      return std::make_unique<NativeGauge>(this, parent);
  }
  return nullptr;
}

// A new or raised control comes in front of the others, a lowered one
// behind them, in the window z-order too.
void PageSurface::Restacked(Widget& child, Stacking how) {
  if (auto* native = dynamic_cast<NativeControl*>(&child)) {
    SetWindowPos(native->Handle(), how == Stacking::Back ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void PageSurface::PaintBehind(const Widget& child, HDC dc) const {
  const Rect c = child.Bounds();
  RECT own{0, 0, c.width, c.height};
  ::FillRect(dc, &own, BackBrush() ? BackBrush() : GetSysColorBrush(COLOR_WINDOW));
  for (Widget* sibling : Children()) {
    if (sibling == &child) break;  // the rest is in front
    const Rect b = sibling->Bounds();
    const bool overlaps = b.left < c.left + c.width && c.left < b.left + b.width &&
                          b.top < c.top + c.height && c.top < b.top + b.height;
    if (!overlaps || !sibling->Visible()) continue;
    if (auto* native = dynamic_cast<NativeControl*>(sibling)) {
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, std::max(0, b.left - c.left), std::max(0, b.top - c.top),
                        std::min(c.width, b.left + b.width - c.left),
                        std::min(c.height, b.top + b.height - c.top));
      native->PaintFace(dc, b.left - c.left, b.top - c.top);
      RestoreDC(dc, saved);
    }
  }
}

}  // namespace wizpak::gui::win32
