// Windows: the shell shows the program's own links in its menus and on the
// desktop, so there are no desktop folders to fill.
#include "platform/desktop_files.h"

namespace wizpak::platform {

std::optional<DesktopFolders> UserDesktopFolders() {
  return std::nullopt;
}

LaunchKind LaunchKindOf(std::string_view /*path*/) {
  return LaunchKind::Program;
}

bool WriteDesktopFile(std::string_view /*path*/, std::string_view /*bytes*/, bool /*executable*/,
                      const std::function<void(std::string_view folder)>& /*on_created*/) {
  return false;
}

bool RemoveDesktopFile(std::string_view /*path*/) {
  return false;
}

bool RemoveDesktopFolder(std::string_view /*path*/) {
  return false;
}

void RefreshDesktopDatabase(std::string_view /*applications*/) {}

}  // namespace wizpak::platform
