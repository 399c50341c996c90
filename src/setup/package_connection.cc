#include "setup/package_connection.h"

#include <cstdlib>
#include <memory>

#include "package/package_hooks.h"
#include "setup/extraction_hold.h"
#include "platform/codepage.h"
#include "platform/stop_signals.h"
#include "platform/system.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "text/language.h"
#include "text/number_format.h"
#include "text/replace_all.h"
#include "text/status_progress.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::setup {

namespace {
constexpr uint16_t kExtractingText = 18;  // "Extracting <%FILENAME%>"
// The window handles its events at least this often during extraction.
constexpr uint32_t kPumpIntervalMs = 50;
}  // namespace

void ConnectPackageHooks(SetupRun& setup_run) {
  PackageHooks& hooks = setup_run.package_hooks;
  const char* hold_value = std::getenv("WIZPAK_TEST_HOLD");
  auto hold = std::make_shared<std::optional<ExtractionHold>>(
      ParseExtractionHold(hold_value ? hold_value : ""));
  StatusView& status = setup_run.status;
  hooks.show_extract_status = [hold, &setup_run, &status](std::string_view file_text) {
    const std::u16string text = setup_run.languages.GetString(kExtractingText);
    status.ShowStatus(ReplaceAllText(text, u"<%FILENAME%>", AnsiToWide(file_text)), true);
    // The test seam holds once, at its entry.
    if (*hold && file_text == (*hold)->entry_name) {
      const ExtractionHold held = **hold;
      hold->reset();
      HoldExtraction(held, status.ProgressHook);
    }
  };
  hooks.step_progress = [&status] { status.StepProgress(true); };
  TUninstallList& log = setup_run.install_log;
  hooks.add_file = [&log](std::string_view path) { log.AddFile(path); };
  hooks.add_directory = [&log](std::string_view path) { log.AddDirectory(path); };
  // Runs the message pump when the last run of it is kPumpIntervalMs ago;
  // the time of that run is the hook's own.
  hooks.keep_responsive = [&status, last = platform::TickCount()]() mutable {
    const uint32_t now = platform::TickCount();
    if (!status.ProgressHook || now - last < kPumpIntervalMs) return;
    status.ProgressHook();
    last = platform::TickCount();
  };
  hooks.format_byte_size = [](uint64_t bytes) { return FormatByteSize(bytes); };
  // Cancel answered Yes (or a stop signal) during a long "file" command ends
  // it between files; the script loop then stops and saves the log.
  hooks.stop_requested = [&setup_run] {
    return setup_run.script.CancelRequested || platform::StopRequested();
  };
}

}  // namespace wizpak::setup
