// POSIX desktop folders (the XDG base directories) and the file operations
// on them.
#include "platform/desktop_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/desktop_entry.h"
#include "platform/files.h"
#include "platform/host_files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace wizpak::platform {
namespace {

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// An absolute value of the variable, else `fallback`.
std::string BaseFolder(const char* variable, const std::string& fallback) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') {
    return WithoutTrailingSlashes(value);
  }
  return fallback;
}

std::string ParentOf(std::string_view path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string_view::npos || cut == 0) return "/";
  return std::string(path.substr(0, cut));
}

// Makes every missing folder of `folder`, outermost first.
bool MakeFolders(const std::string& folder,
                 const std::function<void(std::string_view folder)>& on_created) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    return FailWith(ENOTDIR);
  }
  if (folder == "/") return false;
  if (!MakeFolders(ParentOf(folder), on_created)) return false;
  if (!CreateDirectory(folder)) return false;
  if (on_created) on_created(folder);
  return true;
}

}  // namespace

std::optional<DesktopFolders> UserDesktopFolders() {
  const char* home_value = std::getenv("HOME");
  if (!home_value || home_value[0] != '/') return std::nullopt;
  const std::string home = WithoutTrailingSlashes(home_value);
  const std::string data = BaseFolder("XDG_DATA_HOME", home + "/.local/share");
  const std::string config = BaseFolder("XDG_CONFIG_HOME", home + "/.config");
  DesktopFolders folders;
  folders.applications = data + "/applications";
  folders.directories = data + "/desktop-directories";
  folders.icons = data + "/icons/hicolor";
  folders.merged_menus = config + "/menus/applications-merged";
  constexpr uint64_t kMaxUserDirsBytes = 64 * 1024;
  const auto user_dirs = ReadFileBytes(config + "/user-dirs.dirs", kMaxUserDirsBytes);
  folders.desktop = user_dirs ? DesktopDirFromUserDirs(*user_dirs, home) : std::string();
  if (folders.desktop.empty()) folders.desktop = home + "/Desktop";
  return folders;
}

LaunchKind LaunchKindOf(std::string_view path) {
  const auto host = ToHostPath(path);
  if (!host) return LaunchKind::Program;
  struct stat info {};
  if (::stat(host->c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
    return LaunchKind::Program;
  }
  const size_t slash = host->find_last_of('/');
  const size_t dot = host->find_last_of('.');
  const std::string extension =
      dot == std::string::npos || (slash != std::string::npos && dot < slash)
          ? std::string()
          : AsciiLower(host->substr(dot + 1));
  if (extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd") {
    return LaunchKind::Program;
  }
  return extension == "sh" ? LaunchKind::ShellScript : LaunchKind::Document;
}

bool WriteDesktopFile(std::string_view path, std::string_view bytes, bool executable,
                      const std::function<void(std::string_view folder)>& on_created) {
  const std::string host(path);
  if (host.empty() || host[0] != '/') return FailWith(EINVAL);
  if (!MakeFolders(ParentOf(host), on_created)) return false;
  if (!WriteFileAtomic(host, bytes)) return false;
  return !executable || MakeExecutable(host);
}

bool RemoveDesktopFile(std::string_view path) {
  const std::string host(path);
  struct stat info {};
  if (host.empty() || host[0] != '/' || ::lstat(host.c_str(), &info) != 0) return false;
  if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) return FailWith(EISDIR);
  if (const int error = ConsultFaultHook(FileOp::Delete, host)) return FailWith(error);
  return ::unlink(host.c_str()) == 0;
}

bool RemoveDesktopFolder(std::string_view path) {
  const std::string host(path);
  struct stat info {};
  if (host.empty() || host[0] != '/' || ::lstat(host.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) return FailWith(ENOTDIR);
  if (const int error = ConsultFaultHook(FileOp::RemoveDir, host)) return FailWith(error);
  return ::rmdir(host.c_str()) == 0;
}

void RefreshDesktopDatabase(std::string_view applications) {
  // Only a cache the desktop keeps is refreshed: making one where there is
  // none would leave a file behind that the uninstall cannot account for.
  struct stat info {};
  const std::string cache = std::string(applications) + "/mimeinfo.cache";
  if (::stat(cache.c_str(), &info) != 0) return;
  RunProgram("update-desktop-database", {"-q", std::string(applications)});
}

}  // namespace wizpak::platform
