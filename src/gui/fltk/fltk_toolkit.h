// The FLTK front-end: creates the windows, answers message boxes while it
// is active, and runs the message loop. Made only once a display is open.
#pragma once

#include <memory>
#include <string>

#include "gui/frontend.h"
#include "gui/message_box.h"
#include "gui/widgets.h"

namespace wizpak::gui::fltk {

class FltkToolkit : public Toolkit {
 public:
  explicit FltkToolkit(FrontEndOptions options);
  ~FltkToolkit() override;

  std::string_view Name() const override { return "fltk"; }
  std::unique_ptr<MainForm> CreateMainForm() override;
  std::unique_ptr<VerifyWindow> CreateVerifyWindow() override;
  std::unique_ptr<DebugWindow> CreateDebugWindow() override;
  void ProcessMessages() override;
  void Run(MainForm& form) override;

 private:
  FrontEndOptions options_;
  MessageBoxHandler previous_handler_;
};

// Loads the X libraries, opens the display and sets FLTK up; false, with
// `why` naming what is missing, when the libraries cannot be loaded or no
// display can be reached.
bool OpenDisplay(std::string& why);

}  // namespace wizpak::gui::fltk
