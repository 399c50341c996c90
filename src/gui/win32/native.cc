#include "gui/win32/native.h"

#include <map>
#include <memory>
#include <tuple>

namespace wizpak::gui::win32 {

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      out += u"\r\n";
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      out += u"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

COLORREF ToColorRef(ColourRef colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0xFFFFFF);
}

int FontHeightForPoints(int points) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return -MulDiv(points, dpi, 72);
}

namespace {

using FontKey = std::tuple<std::string, int, bool>;

std::map<FontKey, GdiObject<HFONT>>& Fonts() {
  static std::map<FontKey, GdiObject<HFONT>> fonts;
  return fonts;
}

}  // namespace

HFONT FontFor(const FontSpec& font) {
  FontKey key{font.face, font.size_points, font.bold};
  auto& fonts = Fonts();
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second.get();
  LOGFONTW log{};
  log.lfHeight = FontHeightForPoints(font.size_points);
  log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  log.lfCharSet = DEFAULT_CHARSET;
  log.lfQuality = DEFAULT_QUALITY;
  // Face names are ANSI in layouts; LOGFONTW holds at most 31 characters.
  const int length =
      MultiByteToWideChar(CP_ACP, 0, font.face.data(), static_cast<int>(font.face.size()),
                          log.lfFaceName, LF_FACESIZE - 1);
  log.lfFaceName[length > 0 ? length : 0] = 0;
  HFONT handle = CreateFontIndirectW(&log);
  if (!handle)
    handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  else
    fonts.emplace(key, GdiObject<HFONT>(handle));
  return handle;
}

HFONT DefaultFont() {
  return FontFor(FontSpec{});
}

namespace {
constexpr const wchar_t* kControlProperty = L"WizpakControl";
}

void AttachControl(HWND hwnd, NativeControl* control) {
  if (!hwnd) return;
  if (control)
    SetPropW(hwnd, kControlProperty, control);
  else
    RemovePropW(hwnd, kControlProperty);
}

NativeControl* ControlOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<NativeControl*>(GetPropW(hwnd, kControlProperty));
}

bool RouteChildMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      NativeControl* control = ControlOf(reinterpret_cast<HWND>(lparam));
      if (!control) return false;
      control->OnCommand(HIWORD(wparam));
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      NativeControl* control = header ? ControlOf(header->hwndFrom) : nullptr;
      if (!control) return false;
      result = control->OnNotify(*header);
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      NativeControl* control = ControlOf(reinterpret_cast<HWND>(lparam));
      if (!control) return false;
      HBRUSH brush = control->OnControlColour(reinterpret_cast<HDC>(wparam));
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    default:
      return false;
  }
}

int NextControlId() {
  static int next = 1000;
  return next++;
}

HINSTANCE ModuleHandle() {
  return GetModuleHandleW(nullptr);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background,
                         HCURSOR cursor) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ModuleHandle(), name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = ModuleHandle();
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  wc.hIcon = LoadIconW(ModuleHandle(), MAKEINTRESOURCEW(1));
  RegisterClassExW(&wc);
}

POINT CentredOnScreen(int width, int height) {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  POINT p;
  p.x = work.left + (work.right - work.left - width) / 2;
  p.y = work.top + (work.bottom - work.top - height) / 2;
  if (p.x < work.left) p.x = work.left;
  if (p.y < work.top) p.y = work.top;
  return p;
}

}  // namespace wizpak::gui::win32
