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
  void SetStatus(std::string_view text) override;
  const std::string& Status() const override { return status_; }
  void SetProgressMax(int64_t max) override;
  void SetProgressPosition(int64_t position) override;
  int64_t ProgressMax() const override { return max_; }
  int64_t ProgressPosition() const override { return position_; }
  void Show() override;
  void Repaint() override;
  void Close() override;
  bool IsShown() const override { return shown_; }

  HWND Handle() const { return window_.get(); }
  // The bar's native range is 32-bit: positions of larger totals are scaled.
  static int ScaledPosition(int64_t position, int64_t max);

 private:
  void UpdateBar();

  WindowHandle window_;
  HWND status_label_ = nullptr;
  HWND bar_ = nullptr;
  std::string status_ = "Status: 0 out of 0 files verifyed";
  int64_t max_ = 100;
  int64_t position_ = 0;
  bool shown_ = false;
};

}  // namespace wizpak::gui::win32
