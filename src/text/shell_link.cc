#include "text/shell_link.h"

#include "package/package_files.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "platform/shell.h"

namespace wizpak {
namespace {

std::string FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

// Creates every missing folder of a program path, level by level without
// following a link.
void CreateFolders(std::string_view folder) {
  if (!folder.empty()) platform::Folder::Open(folder, /*create=*/true);
}

}  // namespace

bool CreateShellLink(std::string_view link_file, std::string_view target,
                     std::string_view arguments, const PackageHooks& hooks) {
  if (!platform::ToHostPath(target) || !platform::ToHostPath(link_file)) return false;
  // Drive paths create their folders through the logged helper, so the
  // uninstaller removes them again; host paths just get theirs.
  const std::string link_folder = FolderPart(link_file);
  ForceFoldersLogged(link_folder, hooks);
  CreateFolders(link_folder);
  // The program starts in its own folder; a drive root keeps its "\".
  std::string working_folder = FolderPart(target);
  if (working_folder.size() == 2 && working_folder[1] == ':') working_folder += '\\';
  return platform::WriteShellLink(link_file, target, arguments, working_folder);
}

}  // namespace wizpak
