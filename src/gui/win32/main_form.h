// The wizard window: client 578 x 413, a fixed single border, centred; the
// page area on top, a lowered separator line at 375 and the four buttons.
// Enter presses the default button the wizard names (through dialog
// navigation), Escape presses Cancel, and the close box asks the close query.
// Tab follows the page's order of controls (not the z-order, which puts the
// controls made last in front), then the buttons.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/widgets.h"
#include "gui/win32/controls.h"
#include "gui/win32/page_area.h"

namespace wizpak::gui::win32 {

class Win32MainForm : public MainForm {
 public:
  Win32MainForm();
  ~Win32MainForm() override;

  PageArea& Pages() override { return *pages_; }
  Button& BackButton() override { return *back_; }
  Button& NextButton() override { return *next_; }
  Button& CancelButton() override { return *cancel_; }
  Button& LanguageButton() override { return *language_; }

  void SetCaption(std::u16string caption) override;
  const std::u16string& Caption() const override { return caption_; }

  void SetMenuItems(std::vector<MenuItem> items) override { menu_ = std::move(items); }
  const std::vector<MenuItem>& MenuItems() const override { return menu_; }
  void CheckMenuItemWithTag(int tag) override;
  void PopupMenuBelow(Widget& anchor) override;

  void SetDefaultButton(Button* button) override;
  void SetFocus(Widget& widget) override;

  void SetOnCloseQuery(std::function<bool()> on_close_query) override {
    on_close_query_ = std::move(on_close_query);
  }
  void SetOnClose(std::function<void()> on_close) override { on_close_ = std::move(on_close); }
  bool Close() override;
  bool IsClosed() const override { return closed_; }
  void Show() override;

  HWND Handle() const { return window_.get(); }
  // Screen point where the language menu opens for `anchor`: its lower left.
  static POINT MenuPoint(HWND anchor);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void PaintSeparator(HDC dc);
  // Widens Back, Next and Cancel to their captions (see FitButtonRow).
  void FitButtons();
  // Moves the focus to the next (or previous) control in the page's order,
  // then Back, Next, Cancel and the language button. False when no
  // control takes the focus.
  bool MoveTabFocus(bool backwards);

  WindowHandle window_;
  std::unique_ptr<PageSurface> pages_;
  std::unique_ptr<NativeButton> back_;
  std::unique_ptr<NativeButton> next_;
  std::unique_ptr<NativeButton> cancel_;
  std::unique_ptr<NativeButton> language_;
  std::u16string caption_;
  std::vector<MenuItem> menu_;
  std::function<bool()> on_close_query_;
  std::function<void()> on_close_;
  bool closed_ = false;
};

}  // namespace wizpak::gui::win32
