// The FLTK windows: the wizard form (578 x 413, fixed, centred, with the
// page area, the separator, the four buttons and the language pop-up), the
// verification window and the debug window.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/fltk/fltk_widgets.h"
#include "gui/widgets.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

// Enter presses the focused push button, else the default one (not from
// inside a multi-line text, whose keys are its own); Alt with a
// letter goes to the button whose caption marks that letter with "&"
// (FLTK alone matches the letter's case exactly, so Alt+N would miss "&Next").
class FormWindow : public Fl_Double_Window {
 public:
  FormWindow(int w, int h) : Fl_Double_Window(w, h) {}
  void SetOnEnter(std::function<void()> on_enter) { on_enter_ = std::move(on_enter); }
  // Returns whether a button took the letter.
  void SetOnAltKey(std::function<bool(int key)> on_alt_key) { on_alt_key_ = std::move(on_alt_key); }
  int handle(int event) override;

 private:
  std::function<void()> on_enter_;
  std::function<bool(int key)> on_alt_key_;
};

class FltkMainForm : public MainForm {
 public:
  FltkMainForm();
  ~FltkMainForm() override;

  PageArea& Pages() override { return pages_; }
  Button& BackButton() override { return back_; }
  Button& NextButton() override { return next_; }
  Button& CancelButton() override { return cancel_; }
  Button& LanguageButton() override { return language_; }

  void SetCaption(std::u16string caption) override;
  const std::u16string& Caption() const override { return caption_; }
  void SetIcon(std::string_view ico_bytes) override;

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

  Fl_Double_Window& Window() { return window_; }

 private:
  static void WindowCallback(Fl_Widget* widget, void* self);
  void PressEnter();
  // Widens Back, Next and Cancel to their captions (see FitButtonRow); once
  // the window is shown, since measuring needs the display.
  void FitButtons();
  bool PressAccelerator(int key);

  // The window first: everything below lives in it and leaves it first.
  FormWindow window_;
  FltkPageArea pages_;
  PaintedView separator_;
  FltkButton language_;
  FltkButton back_;
  FltkButton next_;
  FltkButton cancel_;
  std::string title_;
  std::u16string caption_;
  std::vector<uint8_t> icon_pixels_;
  std::unique_ptr<Fl_RGB_Image> icon_;
  std::vector<MenuItem> menu_;
  std::function<bool()> on_close_query_;
  std::function<void()> on_close_;
  bool closed_ = false;
};

class FltkVerifyWindow : public VerifyWindow {
 public:
  FltkVerifyWindow();
  ~FltkVerifyWindow() override;
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

 private:
  void UpdateBar();
  Fl_Double_Window window_;
  Fl_Box intro_;
  Fl_Box status_label_;
  Fl_Progress bar_;
  std::string status_ = "Status: 0 out of 0 files verifyed";
  std::string status_utf8_;
  int64_t max_ = 100;
  int64_t position_ = 0;
  bool shown_ = false;
};

class FltkDebugWindow : public DebugWindow {
 public:
  FltkDebugWindow();
  RichEdit& Content() override { return content_; }
  void ShowModal() override;

 private:
  Fl_Double_Window window_;
  FltkPageArea area_;
  FltkRichEdit& content_;
};

// Places `window` in the middle of the screen.
void CentreOnScreen(Fl_Window& window);

// Asks the window manager (through the Motif hints most of them read) to
// offer only moving, closing and, with `minimize`, minimising the shown
// `window`: no maximise, no resize.
void OfferOnlyMoveAndClose(Fl_Window& window, bool minimize);

}  // namespace wizpak::gui::fltk
