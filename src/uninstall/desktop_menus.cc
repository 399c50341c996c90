#include "uninstall/desktop_menus.h"

#include <vector>

#include "gui/icon_pngs.h"
#include "platform/codepage.h"
#include "platform/desktop_entry.h"
#include "platform/paths.h"

namespace wizpak {
namespace {

constexpr std::string_view kCategories = "X-Wizpak;";

// The levels of `path` below `folder` (both program form, letter case
// ignored), or nullopt when it does not lie below it.
std::optional<std::vector<std::string>> LevelsBelow(std::string_view path,
                                                    std::string_view folder) {
  if (folder.empty() || folder == "\\" || path.size() <= folder.size() ||
      !EqualsIgnoreCaseAnsi(path.substr(0, folder.size()), folder)) {
    return std::nullopt;
  }
  std::vector<std::string> levels;
  std::string_view rest = path.substr(folder.size());
  while (!rest.empty()) {
    const size_t cut = rest.find('\\');
    const std::string_view level = rest.substr(0, cut);
    if (!level.empty()) levels.emplace_back(level);
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  if (levels.empty()) return std::nullopt;
  return levels;
}

// The link's shown name: its file name without ".lnk".
std::string WithoutLinkExtension(std::string name) {
  if (name.size() > 4 &&
      EqualsIgnoreCaseAnsi(std::string_view(name).substr(name.size() - 4), ".lnk")) {
    name.resize(name.size() - 4);
  }
  return name;
}

// "wizpak-<short name>-<level>-<level>..." in UTF-8, safe as a file name.
std::string Stem(const DesktopProduct& product, const std::vector<std::string>& levels,
                 size_t count) {
  std::string stem = "wizpak-" + platform::DesktopFileNamePart(AnsiToUtf8(product.short_name));
  for (size_t i = 0; i < count && i < levels.size(); ++i) {
    stem += "-" + platform::DesktopFileNamePart(AnsiToUtf8(levels[i]));
  }
  return stem;
}

std::string FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return "";
  if (cut == 2 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, cut));
}

std::string HostParent(std::string_view path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string_view::npos || cut == 0 ? "/" : std::string(path.substr(0, cut));
}

bool Below(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() + 1 && path.substr(0, folder.size()) == folder &&
         path[folder.size()] == '/';
}

// Writes one file and records it with the folders made for it.
bool Write(DesktopRecord& record, const std::string& path, std::string_view text, bool executable) {
  const bool ok = platform::WriteDesktopFile(
      path, text, executable, [&](std::string_view folder) { record.AddFolder(folder); });
  if (ok) record.AddFile(path);
  return ok;
}

// The setup's icon in every size it holds, written once per run; the name
// entries give it, or "" when there is none.
std::string EnsureIcon(DesktopRecord& record, const DesktopProduct& product,
                       const platform::DesktopFolders& folders) {
  const std::string name = DesktopIconName(product);
  const std::string suffix = "/apps/" + name + ".png";
  for (const std::string& file : record.files) {
    if (Below(file, folders.icons) && file.ends_with(suffix)) return name;
  }
  const std::optional<std::string> icon = product.icon_file ? product.icon_file() : std::nullopt;
  if (!icon) return "";
  bool any = false;
  for (const gui::SizedPng& image : gui::IconAsPngs(*icon)) {
    const std::string side = std::to_string(image.size);
    any |= Write(record, folders.icons + "/" + side + "x" + side + suffix, image.png, false);
  }
  return any ? name : "";
}

// The menu entry `levels` (the last is the entry itself) with its ".menu"
// file and the ".directory" file of each submenu level.
bool WriteMenuEntry(DesktopRecord& record, const DesktopProduct& product,
                    const platform::DesktopFolders& folders, const std::vector<std::string>& levels,
                    const platform::DesktopEntry& entry) {
  const std::string stem = Stem(product, levels, levels.size());
  bool ok = Write(record, folders.applications + "/" + stem + ".desktop",
                  platform::DesktopEntryText(entry), false);
  std::vector<platform::MenuLevel> menu;
  for (size_t i = 0; i + 1 < levels.size(); ++i) {
    const std::string level = Stem(product, levels, i + 1);
    menu.push_back({level, level + ".directory"});
    ok &= Write(record, folders.directories + "/" + level + ".directory",
                platform::DirectoryEntryText(AnsiToUtf8(levels[i]), entry.icon), false);
  }
  ok &= Write(record, folders.merged_menus + "/" + stem + ".menu",
              platform::MenuFileText(menu, stem + ".desktop"), false);
  return ok;
}

}  // namespace

std::string DesktopIconName(const DesktopProduct& product) {
  return "wizpak-" + platform::DesktopFileNamePart(AnsiToUtf8(product.short_name));
}

bool AddLinkToDesktop(DesktopRecord& record, const DesktopProduct& product,
                      const platform::DesktopFolders& folders, std::string_view link,
                      std::string_view target, std::string_view arguments) {
  auto menu_levels = LevelsBelow(link, product.programs_folder);
  auto desktop_levels = menu_levels ? std::nullopt : LevelsBelow(link, product.desktop_folder);
  if (!menu_levels && !desktop_levels) return true;
  const std::optional<std::string> host_target = platform::ToHostPath(target);
  if (!host_target) return false;
  std::vector<std::string>& levels = menu_levels ? *menu_levels : *desktop_levels;
  levels.back() = WithoutLinkExtension(levels.back());

  platform::DesktopEntry entry;
  entry.name = AnsiToUtf8(levels.back());
  entry.exec =
      platform::ExecLine(*host_target, AnsiToUtf8(arguments), platform::LaunchKindOf(target));
  entry.path = platform::ToHostPath(FolderPart(target)).value_or("");
  entry.icon = EnsureIcon(record, product, folders);
  entry.categories = std::string(kCategories);
  entry.terminal_key = true;

  if (desktop_levels) {
    // Launchers on the desktop run only when they are executable.
    return Write(record, folders.desktop + "/" + Stem(product, levels, levels.size()) + ".desktop",
                 platform::DesktopEntryText(entry), true);
  }
  if (record.submenu.empty() && levels.size() > 1) {
    std::string submenu = levels[0];
    for (size_t i = 1; i + 1 < levels.size(); ++i) submenu += "\\" + levels[i];
    record.submenu = submenu;
  }
  return WriteMenuEntry(record, product, folders, levels, entry);
}

bool AddUninstallEntry(DesktopRecord& record, const DesktopProduct& product,
                       const platform::DesktopFolders& folders, std::string_view uninstaller,
                       std::string_view install_folder) {
  const std::optional<std::string> host_uninstaller = platform::ToHostPath(uninstaller);
  if (!host_uninstaller) return false;
  const std::string title = product.title.empty() ? product.short_name : product.title;
  std::vector<std::string> levels;
  std::string_view submenu = record.submenu.empty() ? std::string_view(title) : record.submenu;
  while (!submenu.empty()) {
    const size_t cut = submenu.find('\\');
    if (cut != 0) levels.emplace_back(submenu.substr(0, cut));
    if (cut == std::string_view::npos) break;
    submenu.remove_prefix(cut + 1);
  }
  levels.push_back("Uninstall " + title);

  platform::DesktopEntry entry;
  entry.name = AnsiToUtf8(levels.back());
  entry.exec = platform::ExecLine(*host_uninstaller, "", platform::LaunchKind::Program);
  entry.path = platform::ToHostPath(install_folder).value_or("");
  entry.icon = EnsureIcon(record, product, folders);
  entry.categories = std::string(kCategories);
  entry.terminal_key = true;
  return WriteMenuEntry(record, product, folders, levels, entry);
}

DesktopRemoval RemoveDesktopItems(const DesktopRecord& record,
                                  const platform::DesktopFolders& folders) {
  const std::string data_home = HostParent(folders.applications);
  const std::string config_home = HostParent(HostParent(folders.merged_menus));
  const auto inside = [&](std::string_view path) {
    return Below(path, data_home) || Below(path, config_home) || Below(path, folders.desktop);
  };
  DesktopRemoval removal;
  for (const std::string& file : record.files) {
    const std::string name = file.substr(file.find_last_of('/') + 1);
    if (!name.starts_with("wizpak-") || !inside(file)) continue;
    if (platform::RemoveDesktopFile(file)) ++removal.files_removed;
  }
  for (auto it = record.folders.rbegin(); it != record.folders.rend(); ++it) {
    const std::string& folder = *it;
    if (!inside(folder) && folder != data_home && folder != config_home &&
        folder != folders.desktop) {
      continue;
    }
    if (platform::RemoveDesktopFolder(folder)) ++removal.folders_removed;
  }
  return removal;
}

}  // namespace wizpak
