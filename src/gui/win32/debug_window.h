// The diagnostic window "Debug": 870 x 600 with a rich edit filling it,
// shown modally (the other windows are disabled until it closes).
#pragma once

#include <memory>

#include "gui/widgets.h"
#include "gui/win32/rich_edit.h"

namespace wizpak::gui::win32 {

class Win32DebugWindow : public DebugWindow {
 public:
  Win32DebugWindow();
  ~Win32DebugWindow() override;
  RichEdit& Content() override { return *content_; }
  void ShowModal() override;
  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  WindowHandle window_;
  std::unique_ptr<NativeRichEdit> content_;
  bool open_ = false;
};

}  // namespace wizpak::gui::win32
