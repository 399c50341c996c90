#include "platform/stop_signals.h"

#include <signal.h>

namespace wizpak::platform {
namespace {

volatile sig_atomic_t stop_requested = 0;
struct sigaction previous_int {};
struct sigaction previous_term {};

extern "C" void OnStopSignal(int) {
  stop_requested = 1;
}

}  // namespace

StopSignalScope::StopSignalScope() {
  stop_requested = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previous_int);
  sigaction(SIGTERM, &action, &previous_term);
}

StopSignalScope::~StopSignalScope() {
  sigaction(SIGINT, &previous_int, nullptr);
  sigaction(SIGTERM, &previous_term, nullptr);
}

bool StopRequested() {
  return stop_requested != 0;
}

}  // namespace wizpak::platform
