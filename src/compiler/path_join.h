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

// True when `name` could be written outside its folder: a ".." or "." level,
// an empty level, a drive, or a leading "\" or "/" (the package's own rule).
bool IsUnsafeEntryName(std::string_view name);

}  // namespace wizpak::compiler
