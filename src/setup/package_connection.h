// Connects the package reader's hooks (status text, progress, install-log
// records, byte sizes) to the text and uninstall units.
#pragma once

namespace wizpak {
class SetupRun;
}

namespace wizpak::setup {

// The hooks ask `setup_run` whether the run is to stop; it must outlive them.
void ConnectPackageHooks(SetupRun& setup_run);

}  // namespace wizpak::setup
