#include "platform/terminal.h"

#include <unistd.h>

namespace wizpak::platform {

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool StdinAndStdoutAreTerminals() {
  return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

}  // namespace wizpak::platform
