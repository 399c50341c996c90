// The Win32 front-end: native windows and controls, MessageBoxW for message
// boxes, and the PeekMessage / GetMessage pump. Creating it initialises the
// common controls and registers the window classes; it answers message
// boxes for as long as it lives.
#pragma once

#include <memory>
#include <string>

#include "gui/frontend.h"
#include "gui/message_box.h"
#include "gui/widgets.h"

namespace wizpak::gui::win32 {

// MessageBoxW flags for a request: buttons, icon, the first button as the
// default, and task-modal so no window of the setup takes input meanwhile.
unsigned MessageBoxFlags(Buttons buttons, Icon icon);
// The answer for a MessageBoxW result; 0 (the box could not be shown) gives
// the default answer of the button set.
Answer AnswerFor(int result, Buttons buttons);

class Win32Toolkit : public Toolkit {
 public:
  explicit Win32Toolkit(FrontEndOptions options = {});
  ~Win32Toolkit() override;

  std::string_view Name() const override { return "win32"; }
  std::unique_ptr<MainForm> CreateMainForm() override;
  std::unique_ptr<VerifyWindow> CreateVerifyWindow() override;
  std::unique_ptr<DebugWindow> CreateDebugWindow() override;
  void ProcessMessages() override;
  void Run(MainForm& form) override;

 private:
  FrontEndOptions options_;
  MessageBoxHandler previous_handler_;
};

}  // namespace wizpak::gui::win32
