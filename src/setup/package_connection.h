// Connects the package reader's hooks (status text, progress, install-log
// records, byte sizes) to the text and uninstall units.
#pragma once

namespace wizpak::setup {

void ConnectPackageHooks();

}  // namespace wizpak::setup
