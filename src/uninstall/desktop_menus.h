// What an installation puts on the user's desktop besides the links its
// script writes, as Wine's menu builder does for Windows programs: a link
// below the start-menu programs folder becomes a menu entry in its
// submenu, a link below the desktop folder a launcher on the user's
// desktop, the uninstaller an "Uninstall <title>" entry, and the setup's
// icon the entries' icon. Every file and folder made is noted in a
// DesktopRecord, and RemoveDesktopItems takes away exactly those.
//
// File names are namespaced "wizpak-<short name>-<link path>", so nothing
// here overwrites a file the user or another program made.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop_files.h"
#include "uninstall/desktop_record.h"

namespace wizpak {

// The product the entries belong to.
struct DesktopProduct {
  std::string short_name;       // namespaces every file name
  std::string title;            // shown in "Uninstall <title>"
  std::string programs_folder;  // start-menu programs folder, program form, with "\"
  std::string desktop_folder;   // desktop folder, program form, with "\"
  // The setup's icon file (a Windows icon), nullopt when it has none.
  std::function<std::optional<std::string>()> icon_file;
};

// The name entries give their icon: "wizpak-<short name>".
std::string DesktopIconName(const DesktopProduct& product);

// For the link the script wrote at `link` (program form) to `target` with
// `arguments`: a menu entry with its submenu files when the link is below
// the programs folder, a launcher when it is below the desktop folder,
// nothing otherwise. Returns false when something could not be written
// (what was written is recorded all the same).
bool AddLinkToDesktop(DesktopRecord& record, const DesktopProduct& product,
                      const platform::DesktopFolders& folders, std::string_view link,
                      std::string_view target, std::string_view arguments);

// "Uninstall <title>" in the program's submenu (the folder of its first
// menu entry; a submenu named after the title when it has none), starting
// `uninstaller` (program form) in `install_folder`.
bool AddUninstallEntry(DesktopRecord& record, const DesktopProduct& product,
                       const platform::DesktopFolders& folders, std::string_view uninstaller,
                       std::string_view install_folder);

struct DesktopRemoval {
  int files_removed = 0;
  int folders_removed = 0;
};

// Removes the record's files, then its folders that are empty, last made
// first. Only files named "wizpak-..." inside the user's desktop folders and
// folders inside them (or those folders themselves) are touched, whatever
// else a damaged or edited record names.
DesktopRemoval RemoveDesktopItems(const DesktopRecord& record,
                                  const platform::DesktopFolders& folders);

}  // namespace wizpak
