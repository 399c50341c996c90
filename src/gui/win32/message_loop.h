// The message pump shared by the Win32 front-end's windows. Top-level windows
// that hold controls (the main form, the debug window) are registered as
// dialog roots, so Tab, Enter and Escape work through IsDialogMessageW.
#pragma once

#include "gui/win32/native.h"

namespace wizpak::gui::win32 {

// Sent to a dialog root before dialog navigation sees a Tab key (wparam:
// 1 with Shift, else 0); a root that keeps its own Tab order moves the
// focus and returns nonzero, else dialog navigation walks the z-order.
constexpr UINT kMoveTabFocus = WM_APP + 1;

void AddDialogRoot(HWND hwnd);
void RemoveDialogRoot(HWND hwnd);

// Hands one message to dialog navigation or to its window.
void DispatchOne(MSG& message);

// Handles every pending message and returns. A WM_QUIT found on the way is
// posted again for the loop that owns it.
void PumpPending();

// Waits for and handles messages until `done()` is true or WM_QUIT arrives.
// Returns false on WM_QUIT.
template <class Done>
bool PumpUntil(Done done) {
  while (!done()) {
    MSG message{};
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    DispatchOne(message);
  }
  return true;
}

}  // namespace wizpak::gui::win32
