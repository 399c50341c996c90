// RemoveDirectoryTree: deletes a folder with everything below it, in a
// bounded number of passes, and never removes a drive root, the host's root
// folder or an empty path.
#pragma once

#include <string_view>

namespace wizpak {

enum class RemoveTreeResult {
  Removed,     // the folder and everything in it are gone
  NotFound,    // there was no such folder; nothing done
  Refused,     // empty path, a drive root or the host root; nothing done
  Incomplete,  // something could not be deleted; what could be is gone
};

// Files are deleted and subfolders emptied and removed before their
// parents. A pass that leaves the folder standing (a file in use, missing
// rights) is repeated at most kRemoveTreePasses times in all, then the
// routine gives up. Folders nested deeper than kRemoveTreeMaxDepth levels
// below `folder` are not entered. A link to a folder (the folder itself or
// anything inside it) is removed as a link; its target is never entered.
// `ignored` is accepted for the command's
// sake and has no effect.
RemoveTreeResult RemoveDirectoryTree(std::string_view folder, bool ignored = false);

inline constexpr int kRemoveTreePasses = 3;
inline constexpr int kRemoveTreeMaxDepth = 128;

// True for the paths RemoveDirectoryTree refuses.
bool IsProtectedTreeRoot(std::string_view folder);

}  // namespace wizpak
