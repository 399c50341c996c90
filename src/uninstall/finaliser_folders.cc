// The logged folders above the uninstaller, for the finaliser.
#include "uninstall/finaliser_folders.h"

#include <unordered_set>

#include "platform/files.h"

namespace wizpak {
namespace {

// A drive-letter path with runs of "\" made one and no "\" at the end (but
// "C:\" keeps its own). Empty for anything else, and for a path with a "."
// or ".." level: the installation never logs such a folder.
std::string Tidied(std::string_view path) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return {};
  std::string out;
  for (const char c : path) {
    if (c == '/') return {};
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    out += c;
  }
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  for (size_t start = 3; start < out.size();) {
    size_t end = out.find('\\', start);
    if (end == std::string::npos) end = out.size();
    const std::string_view level = std::string_view(out).substr(start, end - start);
    if (level == "." || level == "..") return {};
    start = end + 1;
  }
  return out;
}

// Tidied, with ASCII letters lower-cased: drive paths name the same folder
// in any letter case.
std::string Comparable(std::string_view path) {
  std::string out = Tidied(path);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::vector<std::string> FoldersAboveUninstaller(const std::vector<std::string>& logged,
                                                 std::string_view uninstaller_path) {
  std::vector<std::string> folders;
  const std::string spelling = Tidied(uninstaller_path);
  const std::string uninstaller = Comparable(spelling);
  if (uninstaller.empty()) return folders;
  std::unordered_set<std::string> listed;
  for (const std::string& folder : logged) {
    if (std::string comparable = Comparable(folder); !comparable.empty())
      listed.insert(std::move(comparable));
  }
  // The uninstaller's own folder is the finaliser's anyway; the levels above
  // it, from the innermost up to (not including) the drive root.
  const size_t own = uninstaller.find_last_of('\\');
  for (size_t cut = uninstaller.find_last_of('\\', own - 1); cut != std::string::npos && cut > 2;
       cut = uninstaller.find_last_of('\\', cut - 1)) {
    const std::string folder = spelling.substr(0, cut);
    if (listed.count(uninstaller.substr(0, cut)) != 0 && platform::DirectoryExists(folder))
      folders.push_back(folder);
  }
  return folders;
}

}  // namespace wizpak
