// The setup program's start-up: the fixed sequence from the number format to
// the wizard, each step a small function over one StartupState, and the
// outermost error handler. Step 16 hands the open package, the toolkit, the
// main form and the options to the wizard (the library below start-up).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/widgets.h"
#include "setup/options.h"

namespace wizpak {
class TPak;
}

namespace wizpak::setup {

struct StartupState {
  SetupOptions options;
  std::vector<std::string> arguments;  // argv, argument 0 first

  gui::Toolkit* toolkit = nullptr;  // not owned
  std::unique_ptr<gui::MainForm> main_form;
  std::unique_ptr<gui::DebugWindow> debug_form;
  std::unique_ptr<gui::VerifyWindow> verify_window;

  // The package reader, open for the whole run.
  std::unique_ptr<TPak> pak;
  std::string package_path;
  bool package_from_command_line = false;

  bool uninstall_mode = false;
  // Element g: kind of file group g (0 plain files, 1 game-archive patch).
  std::vector<uint8_t> group_kinds;

  StartupState();
  ~StartupState();
};

// Exit statuses of the setup program.
constexpr int kExitOk = 0;
constexpr int kExitStopped = 1;      // a start-up check failed and said why
constexpr int kExitUsage = 2;        // bad command line or no usable front-end
constexpr int kExitErrorReport = 5;  // an unexpected error was reported

// Runs steps 1 to 17 on `state` (options, arguments and toolkit set).
// Errors that escape a step propagate to the caller.
int RunStartupSequence(StartupState& state);

// The whole program: options, front-end, the sequence, and the outermost
// handler that turns an escaping error into an error report.
int SetupMain(const std::vector<std::string>& arguments);

}  // namespace wizpak::setup
