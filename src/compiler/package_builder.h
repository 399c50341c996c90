// Turns a compiled script into a setup executable: the list of package
// entries in their fixed order (group 0 support entries, then the file
// groups in script order), and the writer that appends them to a copy of the
// setup runtime. Entries are compressed on several threads but written in
// order, so the output is the same whatever the thread count.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compiler/compiler.h"

namespace wizpak::compiler {

// One entry of the package to build: its content comes from memory
// (`bytes`) or from the file at `source_path` (program form).
struct PackageItem {
  std::string name;
  uint16_t group = 0;
  std::string source_path;  // empty: content is `bytes`
  std::string bytes;
  // Only looked up by its name, never written to disk under it: the change
  // log, whose entry is named by its path as the setup record holds it.
  bool lookup_only = false;
};

// Folders and programs the builder takes its fixed parts from (program form).
struct ToolLayout {
  std::string tool_folder;    // languages/ and layout/ live here
  std::string stub_path;      // wizpak-stub
  std::string finalise_path;  // wizpak-finalise
};

// The entries of the setup in package order. Returns false and sets `error`
// (one line) when a part is missing or a name is unsafe.
bool AssemblePackage(const TCompiler& compiler, const ToolLayout& tools,
                     std::vector<PackageItem>& items, std::string& error);

struct BuildSummary {
  std::size_t entries = 0;
  uint64_t content_bytes = 0;  // sum of the entries' sizes
  uint64_t stored_bytes = 0;   // sum of what the package stores for them
  uint64_t file_size = 0;      // the whole setup executable
};

struct WriteOptions {
  int threads = 2;
  // Called on the writing thread after each entry: entries done, all entries,
  // content bytes done, all content bytes.
  std::function<void(std::size_t, std::size_t, uint64_t, uint64_t)> progress;
};

// Writes `stub_path` + the package of `items` to `output_path` (program
// form) through a temporary file beside it that is renamed at the end and
// made executable. On failure nothing is left at `output_path` (an older
// file there stays untouched) and `error` says why.
bool WriteSetup(const std::string& stub_path, const std::vector<PackageItem>& items,
                const std::string& output_path, const WriteOptions& options, BuildSummary& summary,
                std::string& error);

}  // namespace wizpak::compiler
