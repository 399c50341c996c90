// Connects the run's package hooks (status text, progress, install-log
// records, byte sizes, stop) to its status view, languages and install log.
#pragma once

namespace wizpak {
class SetupRun;
}

namespace wizpak::setup {

// The hooks ask `setup_run` whether the run is to stop; it must outlive them.
void ConnectPackageHooks(SetupRun& setup_run);

}  // namespace wizpak::setup
