// The verification window: a centred tool window "Verifying Contents", client
// 321 x 70, with two STATIC labels and a smooth progress bar. It is driven
// before the message loop runs, so every repaint is done at once.
#pragma once

#include <string>

#include "gui/widgets.h"
#include "gui/win32/native.h"

namespace wizpak::gui::win32 {

class Win32VerifyWindow : public VerifyWindow {
 public:
  static constexpr int kClientWidth = 321;
  static constexpr int kClientHeight = 70;

  Win32VerifyWindow();
  void Show() override;
  void Repaint() override;
  void Close() override;

  HWND Handle() const { return window_.get(); }
  // The bar's native range is 32-bit: positions of larger totals are scaled.
  static int ScaledPosition(int64_t position, int64_t max);

 private:
  // A changed status is shown and written as a STATUS transcript line.
  void ApplyStatus(bool differs) override;
  void ApplyProgress() override;

  WindowHandle window_;
  HWND status_label_ = nullptr;
  HWND bar_ = nullptr;
};

}  // namespace wizpak::gui::win32
