#include "platform/path_bounds.h"

#include <climits>
#include <cstdio>

#include "platform/paths.h"

namespace wizpak::platform {

bool HasControlCharacter(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 32) return true;
  return false;
}

std::string PathTextFault(std::string_view path) {
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 32) {
      char text[96];
      std::snprintf(text, sizeof text, "holds the control character 0x%02X at position %zu", c,
                    i + 1);
      return text;
    }
  }
  if (path.size() > kMaxPathChars) {
    return "is " + std::to_string(path.size()) + " characters long; at most " +
           std::to_string(kMaxPathChars) + " are allowed";
  }
  size_t levels = 0;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find_first_of("\\/", start);
    const size_t stop = end == std::string_view::npos ? path.size() : end;
    if (stop > start) ++levels;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (levels > kMaxPathLevels) {
    return "has " + std::to_string(levels) + " levels; at most " + std::to_string(kMaxPathLevels) +
           " are allowed";
  }
  return "";
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxPathChars || name == "." || name == "..") return false;
  if (HasControlCharacter(name)) return false;
  if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos) return false;
  return name.back() != ' ' && name.back() != '.';
}

std::string InstallFolderFault(std::string_view folder) {
  std::string fault = PathTextFault(folder);
  if (!fault.empty()) return "The folder " + VisibleText(folder) + " " + fault;
#if defined(PATH_MAX) && !defined(_WIN32)
  // Linux only: there the drive's host folder lengthens every path. (The
  // Windows headers define PATH_MAX as MAX_PATH for the path itself, which
  // the checks above already bound.)
  const auto host = ToHostPath(folder);
  const size_t room = 1 + 3 * kMaxPathChars;
  if (host && host->size() + room >= PATH_MAX) {
    return "The folder " + VisibleText(folder) + " is too long: its host path has " +
           std::to_string(host->size()) + " bytes, and with the names below it would pass " +
           std::to_string(PATH_MAX) + " (the longest path this system takes)";
  }
#endif
  return "";
}

std::string VisibleText(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 300)) {
    if (static_cast<unsigned char>(c) < 32) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  if (text.size() > 300) out += "...";
  return out;
}

}  // namespace wizpak::platform
