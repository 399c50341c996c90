#include "gui/win32/message_loop.h"

#include <algorithm>
#include <vector>

namespace wizpak::gui::win32 {
namespace {

std::vector<HWND>& DialogRoots() {
  static std::vector<HWND> roots;
  return roots;
}

}  // namespace

void AddDialogRoot(HWND hwnd) {
  if (hwnd) DialogRoots().push_back(hwnd);
}

void RemoveDialogRoot(HWND hwnd) {
  auto& roots = DialogRoots();
  roots.erase(std::remove(roots.begin(), roots.end(), hwnd), roots.end());
}

void DispatchOne(MSG& message) {
  if (message.hwnd) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    const auto& roots = DialogRoots();
    const bool dialog = root && std::find(roots.begin(), roots.end(), root) != roots.end();
    if (dialog && message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 &&
        SendMessageW(root, kMoveTabFocus, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0) != 0) {
      return;
    }
    if (dialog && IsDialogMessageW(root, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void PumpPending() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchOne(message);
  }
}

}  // namespace wizpak::gui::win32
