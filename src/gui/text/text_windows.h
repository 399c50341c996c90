// The windows of the text front-end. The wizard: a title line, the current
// page drawn from its layout (scrolled when taller than the screen), a rule,
// the buttons as keys named by their captions and a line of key hints;
// without escape sequences the page is printed and a numbered prompt asks
// for the next step. Also the verification screen and the debug window.
#pragma once

#include <string>
#include <vector>

#include "gui/headless/headless_widgets.h"
#include "gui/text/page_view.h"
#include "gui/text/text_session.h"
#include "gui/text/text_widgets.h"
#include "gui/widgets.h"

namespace wizpak::gui::text {

class TextMainForm : public headless::InMemoryMainForm<TextPageArea>, public InterruptTarget {
 public:
  explicit TextMainForm(TextSession& session);
  ~TextMainForm() override;

  // The numbered language menu.
  void PopupMenuBelow(Widget& anchor) override;
  void Show() override;

  // The button Enter presses: Next while it can be pressed, else Cancel when
  // Next is hidden (the finish page), else none (a run is going on).
  Button* DefaultButton();
  // One key typed on the wizard screen.
  void HandleKey(const Key& key);
  // Plain prompts: prints the page when it is new, asks for one choice and
  // acts on it.
  void PlainStep();
  // Escape presses Cancel, Ctrl+C the window's close button.
  void Interrupt(const Key& key) override;
  // Draws the wizard into `frame`.
  void Paint(Frame& frame);

 private:
  struct KeyedButton {
    Button* button;
    char32_t key;
  };
  // Gives the terminal back as the window closes, before the close callback
  // runs: what that starts and outlives the wizard (the uninstaller's
  // finaliser) then writes to the person's terminal, not into the capture
  // of standard error that ends with this program.
  void HideWindow() override;
  // Lets go of the screen once closed.
  void WindowClosed() override;
  void Repainted();
  void PlainProgress();
  // The usable buttons with their keys, navigation buttons first.
  std::vector<KeyedButton> ButtonKeys();
  void OpenField(const PageField& field);
  std::vector<const Widget*> PageIdentity() const;

  TextSession& session_;
  bool shown_ = false;
  int scroll_ = 0;
  int body_height_ = 1;
  std::vector<const Widget*> identity_;  // the page last drawn or printed
  std::u16string printed_language_;
  PageView view_;
  int plain_tenth_ = -1;  // last progress tenth printed
};

class TextVerifyWindow : public VerifyWindow {
 public:
  explicit TextVerifyWindow(TextSession& session) : session_(session) {}
  ~TextVerifyWindow() override;
  void Show() override;
  void Repaint() override { session_.Redraw(); }
  void Close() override;

 private:
  void Paint(Frame& frame) const;
  TextSession& session_;
};

class TextDebugWindow : public DebugWindow {
 public:
  explicit TextDebugWindow(TextSession& session) : session_(session) {}
  RichEdit& Content() override { return content_; }
  // Shows the content in the pager.
  void ShowModal() override;

 private:
  TextSession& session_;
  headless::HeadlessRichEdit content_{nullptr};
};

}  // namespace wizpak::gui::text
