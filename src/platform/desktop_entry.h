// The text of a freedesktop Desktop Entry that starts a program: the POSIX
// form of a shell link. Pure text; shell_link.cc writes it.
#pragma once

#include <string>
#include <string_view>

namespace wizpak::platform {

//   [Desktop Entry]
//   Type=Application
//   Name=<name>
//   Exec=<host target> <arguments>
//   Path=<host folder>
// Arguments are split like a Windows command line (blanks separate, double
// quotes group) and each is quoted for the Exec key as needed. All texts
// are UTF-8.
std::string DesktopEntryText(std::string_view name, std::string_view host_target,
                             std::string_view arguments, std::string_view host_folder);

}  // namespace wizpak::platform
