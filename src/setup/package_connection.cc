#include "setup/package_connection.h"

#include "package/package_hooks.h"
#include "platform/codepage.h"
#include "platform/stop_signals.h"
#include "platform/system.h"
#include "script/script_run.h"
#include "text/language.h"
#include "text/number_format.h"
#include "text/replace_all.h"
#include "text/shared_state.h"
#include "text/status_progress.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::setup {

namespace {
constexpr uint16_t kExtractingText = 18;  // "Extracting <%FILENAME%>"
// The window handles its events at least this often during extraction.
constexpr uint32_t kPumpIntervalMs = 50;
}  // namespace

void ConnectPackageHooks() {
  PackageHooks& hooks = Hooks();
  hooks.show_extract_status = [](std::string_view file_text) {
    const std::u16string text = TLanguages::Instance().GetString(kExtractingText);
    ShowStatus(ReplaceAllText(text, u"<%FILENAME%>", AnsiToWide(file_text)), true);
  };
  hooks.step_progress = [] { StepProgress(true); };
  hooks.add_file = [](std::string_view path) { TUninstallList::Instance().AddFile(path); };
  hooks.add_directory = [](std::string_view path) {
    TUninstallList::Instance().AddDirectory(path);
  };
  // Runs the message pump when the last run of it is kPumpIntervalMs ago;
  // the time of that run is the hook's own.
  hooks.keep_responsive = [last = platform::TickCount()]() mutable {
    const uint32_t now = platform::TickCount();
    if (!ProgressHook || now - last < kPumpIntervalMs) return;
    ProgressHook();
    last = platform::TickCount();
  };
  hooks.format_byte_size = [](uint64_t bytes) { return FormatByteSize(bytes); };
  // Cancel answered Yes (or a stop signal) during a long "file" command ends
  // it between files; the script loop then stops and saves the log.
  hooks.stop_requested = [] {
    return TScriptRun::Instance().CancelRequested || platform::StopRequested();
  };
}

}  // namespace wizpak::setup
