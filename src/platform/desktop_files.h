// Where the user's desktop keeps menu entries, submenus, icons and desktop
// launchers, and the few file operations that put them there and take them
// away again. Paths here are host paths (UTF-8): these folders belong to the
// user's session, not to a drive of the installation. On Windows the shell
// shows the program's own links, so there are no such folders.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop_entry.h"

namespace wizpak::platform {

// No trailing '/'.
struct DesktopFolders {
  std::string applications;  // $XDG_DATA_HOME/applications
  std::string directories;   // $XDG_DATA_HOME/desktop-directories
  std::string merged_menus;  // $XDG_CONFIG_HOME/menus/applications-merged
  std::string icons;         // $XDG_DATA_HOME/icons/hicolor
  std::string desktop;       // XDG_DESKTOP_DIR of user-dirs.dirs, else $HOME/Desktop
};

// The folders of the current user, read from the environment on every call
// (XDG_DATA_HOME, default $HOME/.local/share; XDG_CONFIG_HOME, default
// $HOME/.config; a relative value counts as unset). nullopt on Windows and
// when HOME is unset or relative.
std::optional<DesktopFolders> UserDesktopFolders();

// How a link starts its target (program path). Installed files carry no
// execute permission of their own (a package stores none), so the name
// decides for those that lack it: Windows programs (".exe", ".com", ".bat",
// ".cmd") start themselves, shell scripts (".sh") through /bin/sh, and
// every other file is a document opened by the desktop's handler. An
// executable file, and a target that is not there (yet), starts itself.
LaunchKind LaunchKindOf(std::string_view path);

// Writes `bytes` to the host file `path` whole (a temporary file renamed
// over it), executable when asked, creating its missing folders first and
// passing each folder made to `on_created` (outermost first). False when a
// folder cannot be made or the file cannot be written.
bool WriteDesktopFile(std::string_view path, std::string_view bytes, bool executable,
                      const std::function<void(std::string_view folder)>& on_created);

// Removes the host file `path` when it is a regular file or a link (never
// what a link points to). False when it is missing or something else.
bool RemoveDesktopFile(std::string_view path);

// Removes the host folder `path` when it is an empty folder (not a link).
bool RemoveDesktopFolder(std::string_view path);

// Lets the desktop see new or removed menu entries at once: runs
// update-desktop-database on `applications` and waits for it, when the
// program is installed and the folder has a cache (mimeinfo.cache) to
// refresh. Never required; nothing is reported.
void RefreshDesktopDatabase(std::string_view applications);

}  // namespace wizpak::platform
