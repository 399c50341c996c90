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

PageSurface::PageSurface(HWND parent) : Control(WidgetKind::Panel, nullptr) {
  RegisterControlClasses();
  brush_.Reset(CreateSolidBrush(ToColorRef(Colour())));
  Adopt(CreateWindowExW(WS_EX_CONTROLPARENT, L"WizpakPageArea", L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                        ModuleHandle(), nullptr));
}

void PageSurface::SetColour(ColourRef colour) {
  brush_.Reset(CreateSolidBrush(ToColorRef(colour)));
  Control::SetColour(colour);
  // Labels and pictures take the page colour too.
  if (Handle())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Widget& PageSurface::Create(WidgetKind kind) {
  std::unique_ptr<Widget> widget;
  HWND parent = Handle();
  switch (kind) {
    case WidgetKind::Label:
      widget = std::make_unique<NativeLabel>(this, parent);
      break;
    case WidgetKind::Edit:
      widget = std::make_unique<NativeEdit>(this, parent);
      break;
    case WidgetKind::FolderTree:
      widget = std::make_unique<NativeFolderTree>(this, parent);
      break;
    case WidgetKind::Button:
      widget = std::make_unique<NativeButton>(this, parent);
      break;
    case WidgetKind::Picture:
      widget = std::make_unique<NativePicture>(this, parent);
      break;
    case WidgetKind::Panel:
      widget = std::make_unique<NativePanel>(this, parent);
      break;
    case WidgetKind::Bevel:
      widget = std::make_unique<NativeBevel>(this, parent);
      break;
    case WidgetKind::Memo:
      widget = std::make_unique<NativeMemo>(this, parent);
      break;
    case WidgetKind::RichEdit:
      widget = std::make_unique<NativeRichEdit>(this, parent);
      break;
    case WidgetKind::Gauge:
      widget = std::make_unique<NativeGauge>(this, parent);
      break;
  }
  Widget& ref = *widget;
  owned_.push_back(std::move(widget));
  order_.push_back(&ref);
  // A new control comes in front of the ones made before it.
  if (auto* native = dynamic_cast<NativeControl*>(&ref)) {
    SetWindowPos(native->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return ref;
}

void PageSurface::PaintBehind(const Widget& child, HDC dc) const {
  const Rect c = child.Bounds();
  RECT own{0, 0, c.width, c.height};
  ::FillRect(dc, &own, BackBrush() ? BackBrush() : GetSysColorBrush(COLOR_WINDOW));
  for (Widget* sibling : order_) {
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

void PageSurface::Raise(Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  order_.erase(it);
  order_.push_back(&child);
  if (auto* native = dynamic_cast<NativeControl*>(&child)) {
    SetWindowPos(native->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void PageSurface::Lower(Widget& child) {
  auto it = std::find(order_.begin(), order_.end(), &child);
  if (it == order_.end()) return;
  order_.erase(it);
  order_.insert(order_.begin(), &child);
  if (auto* native = dynamic_cast<NativeControl*>(&child)) {
    SetWindowPos(native->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

}  // namespace wizpak::gui::win32
