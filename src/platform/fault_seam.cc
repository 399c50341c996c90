#include "platform/fault_seam.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace wizpak::platform {

namespace {

FaultHook& InstalledHook() {
  static FaultHook hook;
  return hook;
}

thread_local std::string last_error_text;

}  // namespace

int ConsultFaultHook(FileOp op, std::string_view path) {
  const FaultHook& hook = InstalledHook();
  return hook ? hook(op, path) : 0;
}

bool FailWith(int error) {
  errno = error;
  last_error_text = std::strerror(error);
  return false;
}

std::string LastErrorText() {
  return last_error_text;
}

void SetLastErrorText(std::string text) {
  last_error_text = std::move(text);
}

ScopedFaultHook::ScopedFaultHook(FaultHook hook) : previous_(std::move(InstalledHook())) {
  InstalledHook() = std::move(hook);
}

ScopedFaultHook::~ScopedFaultHook() {
  InstalledHook() = std::move(previous_);
}

}  // namespace wizpak::platform
