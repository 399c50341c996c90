#include "gui/win32/verify_window.h"

#include <climits>

#include <commctrl.h>

#include "gui/grad_gauge.h"
#include "gui/transcript.h"
#include "platform/codepage.h"

namespace wizpak::gui::win32 {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

HWND Child(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style, int x, int y,
           int width, int height) {
  HWND hwnd = CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                              height, parent, nullptr, ModuleHandle(), nullptr);
  if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return hwnd;
}

}  // namespace

Win32VerifyWindow::Win32VerifyWindow() {
  RegisterWindowClass(L"WizpakVerify", DefWindowProcW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const POINT at = CentredOnScreen(width, height);
  window_.Reset(CreateWindowExW(kExStyle, L"WizpakVerify", L"Verifying Contents", kStyle, at.x,
                                at.y, width, height, nullptr, nullptr, ModuleHandle(), nullptr));
  Child(Handle(), L"STATIC", L"Verifying contents please wait...", SS_LEFTNOWORDWRAP | SS_NOPREFIX,
        8, 8, 305, 16);
  status_label_ = Child(Handle(), L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 8, 32, 305, 16);
  bar_ = Child(Handle(), PROGRESS_CLASSW, L"", PBS_SMOOTH, 8, 48, 305, 16);
  // The colour of the wizard's gauge (a themed bar keeps the theme's).
  SendMessageW(bar_, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(TGradGauge::kDefaultGradientColor));
  SetWindowTextW(status_label_, reinterpret_cast<const wchar_t*>(AnsiToWide(status_).c_str()));
  UpdateBar();
}

void Win32VerifyWindow::SetStatus(std::string_view text) {
  if (text == status_) return;
  status_.assign(text.begin(), text.end());
  const std::u16string wide = AnsiToWide(status_);
  SetWindowTextW(status_label_, Wide(wide));
  TranscriptStatus(AnsiToUtf8(status_));
}

int Win32VerifyWindow::ScaledPosition(int64_t position, int64_t max) {
  if (max <= 0 || position <= 0) return 0;
  if (position > max) position = max;
  if (max <= INT_MAX) return static_cast<int>(position);
  return static_cast<int>(static_cast<long double>(position) * INT_MAX / max);
}

void Win32VerifyWindow::UpdateBar() {
  const int top = ScaledPosition(max_, max_);
  SendMessageW(bar_, PBM_SETRANGE32, 0, top);
  SendMessageW(bar_, PBM_SETPOS, ScaledPosition(position_, max_), 0);
}

void Win32VerifyWindow::SetProgressMax(int64_t max) {
  max_ = max;
  UpdateBar();
}

void Win32VerifyWindow::SetProgressPosition(int64_t position) {
  position_ = position;
  UpdateBar();
}

void Win32VerifyWindow::Show() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  shown_ = true;
}

// Paints at once what changed (the status text and the bar mark themselves
// invalid), not the whole window: under Wine every full repaint costs
// about 10 ms, once per percent of the pass.
void Win32VerifyWindow::Repaint() {
  RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32VerifyWindow::Close() {
  ShowWindow(Handle(), SW_HIDE);
  shown_ = false;
}

}  // namespace wizpak::gui::win32
