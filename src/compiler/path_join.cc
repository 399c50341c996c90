#include "compiler/path_join.h"

#include "package/pak.h"

namespace wizpak::compiler {

bool IsAbsoluteProgramPath(std::string_view path) {
  if (!path.empty() && path.front() == '/') return true;
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string JoinProgramPath(std::string_view folder, std::string_view relative) {
  if (IsAbsoluteProgramPath(relative) || folder.empty()) return std::string(relative);
  const bool host = folder.front() == '/';
  const char separator = host ? '/' : '\\';
  std::string result(folder);
  while (result.size() > 1 && (result.back() == '/' || result.back() == '\\')) result.pop_back();
  if (result.back() != separator) result += separator;
  std::size_t start = 0;
  while (start < relative.size() && (relative[start] == '\\' || relative[start] == '/')) ++start;
  for (char c : relative.substr(start)) result += (host && c == '\\') ? '/' : c;
  return result;
}

std::string FolderOf(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return "";
  if (cut == 0) return std::string(path.substr(0, 1));
  return std::string(path.substr(0, cut));
}

bool IsUnsafeEntryName(std::string_view name) {
  return !IsSafeRelativeName(name);
}

}  // namespace wizpak::compiler
