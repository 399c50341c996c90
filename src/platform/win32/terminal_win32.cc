#include <io.h>

#include <cstdio>

#include "platform/terminal.h"

namespace wizpak::platform {

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace wizpak::platform
