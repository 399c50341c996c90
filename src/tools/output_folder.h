// Writing entries below a host folder for the extract commands: entry names
// use "\" between folder levels, the host "/".
#pragma once

#include <string>

namespace wizpak::tools {

// "Data\sub\a.txt" -> "Data/sub/a.txt".
std::string HostRelativePath(std::string name);

// Creates the folders of `relative` (a host-relative file path) below `root`,
// one level at a time. False when one cannot be created.
bool MakeParentFolders(const std::string& root, const std::string& relative);

}  // namespace wizpak::tools
