#include "script/setup_run.h"

#include "package/setup_info.h"
#include "text/language.h"
#include "uninstall/uninstall_list.h"

namespace wizpak {

RunPrompts::RunPrompts()
    : ask([](std::string_view text, std::string_view caption, gui::Buttons buttons,
             gui::Icon icon) { return gui::MessageBox(text, caption, buttons, icon); }),
      fatal([](const std::string& message) { gui::FatalExit(message); }) {}

SetupRun::SetupRun()
    : record(TSetupInfoFile::Instance()),
      install_log(TUninstallList::Instance()),
      languages(TLanguages::Instance()) {
  RegisterCommands(commands);
  archives.retry_handler = [this](const std::string& message) {
    return prompts.Ask(message, "Error", gui::Buttons::RetryCancel, gui::Icon::Warning) ==
           gui::Answer::Retry;
  };
  archives.fail_handler = [this](const std::string& message) { prompts.fatal(message); };
}

}  // namespace wizpak
