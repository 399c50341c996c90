// The texts of the freedesktop files that put a program on the desktop: a
// Desktop Entry (the POSIX form of a shell link, and a menu entry), a
// ".directory" file naming a submenu, and a ".menu" file merging one entry
// into nested submenus. Pure text; writing them is desktop_files.h's job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

// How a link starts its target: the program itself, a shell script
// through /bin/sh, or a document through the desktop's handler (xdg-open).
enum class LaunchKind { Program, ShellScript, Document };

// The Exec value that starts `host_target` (UTF-8) with `arguments` (one
// Windows command-line text: blanks separate, double quotes group) as
// `kind` says. Every argument is quoted for the Exec key as it needs.
std::string ExecLine(std::string_view host_target, std::string_view arguments, LaunchKind kind);

struct DesktopEntry {
  std::string name;           // UTF-8
  std::string exec;           // an ExecLine
  std::string path;           // working folder (host), "" for none
  std::string icon;           // icon name, "" for none
  std::string categories;     // "X-Wizpak;" style list, "" for none
  bool terminal_key = false;  // writes "Terminal=false"
};

//   [Desktop Entry]
//   Type=Application
//   Name=<name>
//   Exec=<exec>
//   Path=<path>             (when given)
//   Icon=<icon>             (when given)
//   Categories=<categories> (when given)
//   Terminal=false          (when terminal_key)
// Values are escaped: "\" doubled, tabs as "\t", other control characters
// (which would start a new key) become blanks.
std::string DesktopEntryText(const DesktopEntry& entry);

// The shortcut form: Name, Exec and Path only.
std::string DesktopEntryText(std::string_view name, std::string_view host_target,
                             std::string_view arguments, std::string_view host_folder,
                             LaunchKind kind);

//   [Desktop Entry]
//   Type=Directory
//   Name=<name>
//   Icon=<icon>  (when given)
std::string DirectoryEntryText(std::string_view name, std::string_view icon);

// One submenu level of a ".menu" file: the menu's unique name and the
// ".directory" file that gives its shown name.
struct MenuLevel {
  std::string name;
  std::string directory_file;
};

// A ".menu" file for $XDG_CONFIG_HOME/menus/applications-merged: below
// "Applications", the nested `levels` (outermost first; none puts the entry
// in the top menu) and in the innermost the desktop file `desktop_file_id`.
// Desktops merge every such file, so one file per entry builds the tree.
std::string MenuFileText(const std::vector<MenuLevel>& levels, std::string_view desktop_file_id);

// A name for a desktop file made from a program's own names: characters
// that are no part of a portable file name ("/", control characters, and
// the XML and shell specials "<>&\"'`$\\") become "_"; everything else,
// blanks and UTF-8 included, stays.
std::string DesktopFileNamePart(std::string_view text);

// The value of XDG_DESKTOP_DIR in the text of a user-dirs.dirs file, with
// "$HOME" at its start replaced by `home`; "" when the file does not set it
// (or sets it to a relative path, which the format does not allow).
std::string DesktopDirFromUserDirs(std::string_view text, std::string_view home);

}  // namespace wizpak::platform
