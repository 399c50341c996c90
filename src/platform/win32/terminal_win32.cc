#include <io.h>

#include <cstdio>

#include "platform/terminal.h"

namespace wizpak::platform {

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

bool StdinAndStdoutAreTerminals() {
  return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stdout)) != 0;
}

}  // namespace wizpak::platform
