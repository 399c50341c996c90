#include "gui/win32/debug_window.h"

#include <vector>

#include "gui/win32/message_loop.h"

namespace wizpak::gui::win32 {

Win32DebugWindow::Win32DebugWindow() {
  RegisterWindowClass(L"WizpakDebug", Procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const POINT at = CentredOnScreen(870, 600);
  window_.Reset(CreateWindowExW(WS_EX_CONTROLPARENT, L"WizpakDebug", L"Debug",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x, at.y, 870, 600,
                                nullptr, nullptr, ModuleHandle(), nullptr));
  SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  content_ = std::make_unique<NativeRichEdit>(nullptr, Handle());
  content_->SetName("RichEdit1");
  content_->SetText(u"");
  RECT client{};
  GetClientRect(Handle(), &client);
  content_->SetBounds({0, 0, client.right, client.bottom});
}

Win32DebugWindow::~Win32DebugWindow() {
  if (Handle()) SetWindowLongPtrW(Handle(), GWLP_USERDATA, 0);
  content_.reset();
}

LRESULT CALLBACK Win32DebugWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* window = reinterpret_cast<Win32DebugWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window) {
    if (message == WM_CLOSE) {
      window->open_ = false;
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    if (message == WM_SIZE && window->content_) {
      window->content_->SetBounds({0, 0, LOWORD(lparam), HIWORD(lparam)});
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

namespace {

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM list) {
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

void Win32DebugWindow::ShowModal() {
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled));
  for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);
  AddDialogRoot(Handle());
  open_ = true;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  PumpUntil([this] { return !open_; });
  RemoveDialogRoot(Handle());
  for (HWND hwnd : disabled) EnableWindow(hwnd, TRUE);
}

}  // namespace wizpak::gui::win32
