// CreateShellLink: a shortcut written, at exactly the link path, as a
// freedesktop Desktop Entry that starts the target (host paths) with the
// given arguments in the target's folder.
#pragma once

#include <string>
#include <string_view>

namespace wizpak {

// Creates the missing folders of the link's path (drive paths through
// ForceFoldersLogged, so they are logged), then writes (atomically)
//   [Desktop Entry]
//   Type=Application
//   Name=<link file name without its extension>
//   Exec=<host target> <arguments>
//   Path=<host folder of the target>
// Arguments are split like a Windows command line (blanks separate, double
// quotes group) and each is quoted for the Exec key as needed. False when a
// path cannot be mapped to the host or the file cannot be written.
bool CreateShellLink(std::string_view link_file, std::string_view target,
                     std::string_view arguments);

// The Desktop Entry text CreateShellLink writes (UTF-8), from host paths.
std::string DesktopEntryText(std::string_view name, std::string_view host_target,
                             std::string_view arguments, std::string_view host_folder);

}  // namespace wizpak
