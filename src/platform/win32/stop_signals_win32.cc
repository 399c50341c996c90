// Stop requests on Windows: Ctrl+C and Ctrl+Break of the console a setup was
// started from only raise the flag while a scope is alive (SetConsoleCtrlHandler),
// as SIGINT and SIGTERM do on the other platform. Other console events keep
// their default handling.
#include <atomic>

#include "platform/stop_signals.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform {
namespace {

std::atomic<bool> stop_requested{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stop_requested = true;
  return TRUE;
}

}  // namespace

StopSignalScope::StopSignalScope() {
  stop_requested = false;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignalScope::~StopSignalScope() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopRequested() {
  return stop_requested;
}

}  // namespace wizpak::platform
