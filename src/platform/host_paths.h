// Host-side path helpers shared by the platform units (and their tests):
// drive-map parsing, lexical normalisation of host paths, the home and
// working folders, and creating a chain of host folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace wizpak::platform {

// Parses a WIZPAK_DRIVES text ("C=/dir:fixed;D=/mnt/cd:cdrom"). Malformed
// entries (no letter, relative or empty folder, unknown type, a letter given
// twice) are skipped, and reported once on stderr when `report` is set. The
// result is sorted by letter.
std::vector<Drive> ParseDriveMap(std::string_view text, bool report);

// Collapses "//", "." and ".." in a host path without touching the disk.
// "/.." stays "/"; a relative path keeps leading ".." segments.
std::string NormaliseHostPath(std::string_view path);

// $HOME (absolute), else "/tmp".
std::string HomeFolder();
// The working folder, "" when it cannot be read.
std::string WorkingFolder();
// mkdir -p; true when the folder exists afterwards.
bool CreateHostFolders(const std::string& host_path);

}  // namespace wizpak::platform
