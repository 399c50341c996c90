// The fields of the setup record that text services read: the installation
// folder for the path variables and the three record texts the placeholders
// are bound to. Kept in one place so nothing else here depends on the
// record's layout.
#pragma once

#include <string>

namespace wizpak {

// InstallDir of the program-wide setup record.
const std::string& RecordInstallDir();
// SetupName, ShortName and Changelog of the program-wide setup record; the
// references stay valid for the whole run.
const std::string& RecordSetupName();
const std::string& RecordShortName();
const std::string& RecordChangelog();

}  // namespace wizpak
