#include "text/remove_tree.h"

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "platform/walked_paths.h"
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

// One pass: empties and removes `root` depth first. Every folder is
// reached from its drive root without following a link, and every entry is
// judged inside that open folder: a link (to a file or a folder) goes as the
// link itself, its target, which may lie outside the tree, is never entered.
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
      platform::RemoveFolderWalked(stack.back().path);
      stack.pop_back();
      continue;
    }
    stack.back().listed = true;
    const Frame frame = stack.back();
    const platform::Folder folder = platform::Folder::Open(frame.path, /*create=*/false);
    if (!folder) continue;
    const auto entries = platform::ListFolder(frame.path);
    if (!entries) continue;
    for (const platform::FolderEntry& entry : *entries) {
      if (folder.KindOf(entry.name) != platform::Folder::Kind::Folder) {
        folder.DeleteEntry(entry.name);
      } else if (frame.depth < kRemoveTreeMaxDepth) {
        stack.push_back(Frame{JoinProgramPath(frame.path, entry.name), frame.depth + 1, false});
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
  platform::SetLastErrorText("");
  if (IsProtectedTreeRoot(folder)) return RemoveTreeResult::Refused;
  std::string root(folder);
  while (root.size() > 3 && (root.back() == '\\' || root.back() == '/')) root.pop_back();
  if (!platform::DirectoryExists(root)) return RemoveTreeResult::NotFound;
  // A folder that is only a link to another folder goes as the link; a
  // link further up the path leaves everything alone.
  switch (platform::DeleteFileWalked(root)) {
    case platform::DeleteResult::Deleted:
      return RemoveTreeResult::Removed;
    case platform::DeleteResult::Failed:
      if (platform::LastErrorIsLink()) return RemoveTreeResult::Refused;
      break;
    case platform::DeleteResult::Missing:
      break;
  }
  for (int pass = 0; pass < kRemoveTreePasses; ++pass) {
    RemovePass(root);
    if (!platform::DirectoryExists(root)) return RemoveTreeResult::Removed;
  }
  return RemoveTreeResult::Incomplete;
}

}  // namespace wizpak
