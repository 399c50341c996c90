#include "platform/terminal.h"

#include <unistd.h>

namespace wizpak::platform {

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace wizpak::platform
