// Whether the standard streams are terminals: standard error for progress
// lines, standard input and output for the terminal wizard.
#pragma once

namespace wizpak::platform {

bool StderrIsTerminal();
// Standard input and standard output both.
bool StdinAndStdoutAreTerminals();

}  // namespace wizpak::platform
