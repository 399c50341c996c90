// Joining the compiler's folders (program-form paths: "C:\dir" or a host
// path "/dir") with script-relative names that use "\" between levels.
#pragma once

#include <string>
#include <string_view>

namespace wizpak::compiler {

// True for "X:\...", "X:" and host paths starting with '/'.
bool IsAbsoluteProgramPath(std::string_view path);

// `folder` + separator + `relative`. In a host folder ("/...") the
// backslashes of `relative` become '/'. An absolute `relative` is returned
// as it stands.
std::string JoinProgramPath(std::string_view folder, std::string_view relative);

// The folder part of a program path (everything before the last "\" or
// "/"), "" when there is none.
std::string FolderOf(std::string_view path);

// True when `name` has a ".." level, a drive letter, or starts with "\" or
// "/": names like that could be written outside their folder.
bool IsUnsafeEntryName(std::string_view name);

}  // namespace wizpak::compiler
