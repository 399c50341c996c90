// Whether the standard streams are terminals (for progress bars, and for
// the choice of the terminal wizard).
#pragma once

namespace wizpak::platform {

bool StderrIsTerminal();
// Standard input and standard output both.
bool StdinAndStdoutAreTerminals();

}  // namespace wizpak::platform
