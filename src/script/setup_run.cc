#include "script/setup_run.h"

namespace wizpak {

RunPrompts::RunPrompts()
    : ask([](std::string_view text, std::string_view caption, gui::Buttons buttons,
             gui::Icon icon) { return gui::MessageBox(text, caption, buttons, icon); }),
      fatal([](const std::string& message) { gui::FatalExit(message); }) {}

SetupRun::SetupRun() {
  RegisterCommands(commands);
  archives.retry_handler = [this](const std::string& message) {
    return prompts.Ask(message, "Error", gui::Buttons::RetryCancel, gui::Icon::Warning) ==
           gui::Answer::Retry;
  };
  archives.fail_handler = [this](const std::string& message) { prompts.fatal(message); };
}

std::string SetupRun::WriteErrorReport(std::string_view message,
                                       std::string_view error_type) const {
  return diagnostics::WriteErrorReport(
      report_context ? report_context() : diagnostics::ReportContext{}, message, error_type);
}

}  // namespace wizpak
