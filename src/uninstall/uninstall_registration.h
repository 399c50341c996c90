// The product's entry in the list of installed programs: the uninstall key
// under HKEY_LOCAL_MACHINE with "DisplayName" and "UninstallString", written
// when the uninstaller is built and removed by the uninstall walk.
#pragma once

#include <string>
#include <string_view>

namespace wizpak {

inline constexpr std::string_view kUninstallKeyBase =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// kUninstallKeyBase + short_name.
std::string UninstallKeyPath(std::string_view short_name);

// install_dir + "\" + exe_name (doubled separator when install_dir ends in "\").
std::string UninstallerPath(std::string_view install_dir, std::string_view exe_name);

// Opens (creating) the product's key and writes "DisplayName" = short_name
// and "UninstallString" = uninstall_string. A value that cannot be written
// throws std::runtime_error "Failed to set data for '<value name>'".
void RegisterUninstaller(std::string_view short_name, std::string_view uninstall_string);

// Deletes both values and the key when the key exists; nothing otherwise.
// False when a value of the registration could not be removed and is still
// there (LastErrorText says why).
bool RemoveUninstallRegistration(std::string_view short_name);

}  // namespace wizpak
