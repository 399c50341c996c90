// Shell integration the setup writes: shortcut files and the icon resource
// of an executable. The core decides what to write and creates (and logs)
// the folders; these functions only put the bytes where the host wants them.
#pragma once

#include <string_view>

namespace wizpak::platform {

// Writes a shortcut at exactly `link_file` (program path; its folder exists)
// that starts `target` with `arguments` (one Windows command-line text) in
// `working_folder`. Windows: a shell link through IShellLinkW and
// IPersistFile. POSIX: a freedesktop Desktop Entry with host paths (see
// desktop_entry.h). False when a path cannot be addressed or the file
// cannot be written.
bool WriteShellLink(std::string_view link_file, std::string_view target, std::string_view arguments,
                    std::string_view working_folder);

// Makes `image` (one icon image: a DIB or PNG as an icon file holds it) the
// icon of the executable `exe_file`, replacing the icon group the image has.
// `directory_entry` is the first 12 bytes of the image's entry in its icon
// file (width, height, colours, reserved, planes, bit count, size).
// Windows: BeginUpdateResourceW / UpdateResourceW (RT_ICON and
// RT_GROUP_ICON). POSIX: images there carry no resources, so this reports
// failure and the program keeps its own icon.
bool WriteExeIcon(std::string_view exe_file, std::string_view directory_entry,
                  std::string_view image);

}  // namespace wizpak::platform
