// Whether the standard error stream is a terminal (for progress bars).
#pragma once

namespace wizpak::platform {

bool StderrIsTerminal();

}  // namespace wizpak::platform
