// Collects the files of one file group: a single file under its own name, or
// every file below a folder under its relative path ("\" between levels).
#pragma once

#include <cstdint>
#include <string>

#include "compiler/compiler.h"

namespace wizpak::compiler {

// Deepest folder level a group may reach (guards against link loops).
constexpr int kMaxFolderDepth = 64;

// Adds the files at `source` (program-form path) to `list` with `group`.
// Returns "" on success, else the message for the line's error.
std::string AddSourceToGroup(const std::string& source, uint16_t group, TCompilerFileList& list);

// Removes the group files (group >= 1) stored from the file at `path`
// (program form); both sides are compared as host paths.
void ExcludeGroupFile(const std::string& path, TCompilerFileList& list);

}  // namespace wizpak::compiler
