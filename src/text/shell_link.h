// CreateShellLink: a shortcut written at exactly the link path that starts
// the target with the given arguments in the target's folder. The folders
// of the link are created (and logged) here; the shortcut's own format is
// the platform's (platform/shell.h).
#pragma once

#include <string_view>

#include "package/package_hooks.h"

namespace wizpak {

// Creates the missing folders of the link's path (drive paths through
// ForceFoldersLogged, so they are logged to `hooks`), then writes the
// shortcut. False when a path cannot be addressed or the file cannot be
// written.
bool CreateShellLink(std::string_view link_file, std::string_view target,
                     std::string_view arguments, const PackageHooks& hooks);

}  // namespace wizpak
