#include "text/remove_tree.h"

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "text/text_routines.h"

namespace wizpak {
namespace {

// Lexically normalised host path: "." and empty segments dropped, ".."
// taking back one segment, no trailing "/". "/" stays "/".
std::string NormaliseHostPath(std::string_view path) {
  const bool absolute = !path.empty() && path.front() == '/';
  std::vector<std::string_view> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t slash = path.find('/', at);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(at, slash - at);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  return out;
}

bool IsDriveRootText(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char letter = path[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return false;
  for (size_t i = 2; i < path.size(); ++i) {
    if (path[i] != '\\' && path[i] != '/') return false;
  }
  return true;
}

std::string JoinProgramPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

// One pass: empties and removes `root` depth first.
void RemovePass(const std::string& root) {
  struct Frame {
    std::string path;
    int depth = 0;
    bool listed = false;
  };
  std::vector<Frame> stack;
  stack.push_back(Frame{root, 0, false});
  while (!stack.empty()) {
    if (stack.back().listed) {
      platform::RemoveDirectory(stack.back().path);
      stack.pop_back();
      continue;
    }
    stack.back().listed = true;
    const Frame frame = stack.back();
    const auto entries = platform::ListFolder(frame.path);
    if (!entries) continue;
    for (const platform::FolderEntry& entry : *entries) {
      const std::string child = JoinProgramPath(frame.path, entry.name);
      // A folder entry is tried as a file first: a link to a folder is
      // removed as the link itself (its target, which may lie outside the
      // tree, is never entered), while a real folder refuses and is
      // descended into.
      if (platform::DeleteFile(child) || !entry.is_folder) continue;
      if (frame.depth < kRemoveTreeMaxDepth) {
        stack.push_back(Frame{child, frame.depth + 1, false});
      }
    }
  }
}

}  // namespace

bool IsProtectedTreeRoot(std::string_view folder) {
  const std::string trimmed = TrimText(folder);
  if (trimmed.empty() || IsDriveRootText(trimmed)) return true;
  const auto host = platform::ToHostPath(trimmed);
  if (!host) return true;  // not a path the host can address
  const std::string normal = NormaliseHostPath(*host);
  if (normal.empty() || normal == "/") return true;
  for (const platform::Drive& drive : platform::DriveMap()) {
    if (normal == NormaliseHostPath(drive.host_root)) return true;
  }
  return false;
}

RemoveTreeResult RemoveDirectoryTree(std::string_view folder, bool /*ignored*/) {
  if (IsProtectedTreeRoot(folder)) return RemoveTreeResult::Refused;
  const std::string root(folder);
  if (!platform::DirectoryExists(root)) return RemoveTreeResult::NotFound;
  // A folder that is only a link to another folder goes as the link.
  if (platform::DeleteFile(root)) return RemoveTreeResult::Removed;
  for (int pass = 0; pass < kRemoveTreePasses; ++pass) {
    RemovePass(root);
    if (!platform::DirectoryExists(root)) return RemoveTreeResult::Removed;
  }
  return RemoveTreeResult::Incomplete;
}

}  // namespace wizpak
