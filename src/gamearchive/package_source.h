// The setup's own package as the source of a patch: the entries of one file
// group of the package reader that start-up keeps open for the whole run.
#pragma once

#include "gamearchive/pak_system.h"

namespace wizpak::gamearchive {

// A source over the program-wide package reader. Not owned; lives for the run.
PatchSource& SetupPackageSource();

}  // namespace wizpak::gamearchive
