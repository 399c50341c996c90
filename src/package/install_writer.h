// Writes installed files below a folder safely: folders are opened (and the
// missing ones made and logged) level by level without following links; a
// file whose name is free is created there exclusively (never through a
// link); one that replaces a file goes to a temporary name beside it and is
// renamed over it only when every byte is on disk; the file system is
// flushed when the writer finishes. A failed write, or a link where a file
// or folder should go, throws ExtractionError naming the path; the old file
// stays as it was, and a new file written only in part is removed.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "package/package_hooks.h"
#include "platform/safe_files.h"

namespace wizpak {

// A file of the package could not be installed; ends the installation run.
class ExtractionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InstallWriter {
 public:
  // `folder`: where names given to Begin/WriteFile are placed (program path).
  // Files written and folders made are reported to `hooks`, which must
  // outlive the writer.
  InstallWriter(std::string folder, const PackageHooks& hooks)
      : folder_(std::move(folder)), hooks_(hooks) {}

  // The folder of `path` (program path), opened and made as needed; cached.
  const platform::Folder& FolderOf(std::string_view path);

  // Starts the file at `path` (a program path); throws on failure.
  platform::ReplacingFile Begin(std::string_view path);
  // Writes through `file`, throwing with `path` named on failure.
  static void Write(platform::ReplacingFile& file, std::string_view path, const void* data,
                    int64_t size);
  // Renames the finished file into place, throwing on failure; then logs it.
  void Commit(platform::ReplacingFile& file, std::string_view path);

  // The whole file at once.
  void WriteFile(std::string_view path, std::string_view content);

  // Flushes what was written to the device; throws when that fails.
  void Finish();

  // The message for a failure at `path`, from the platform's last error.
  static std::string FailureText(std::string_view path);

 private:
  // Logs every level from folder_ down to `folder` once (see FolderOf).
  void LogLevels(const std::string& folder);

  std::string folder_;
  const PackageHooks& hooks_;
  std::map<std::string, platform::Folder> folders_;
  std::set<std::string> logged_levels_;
  bool wrote_ = false;
};

}  // namespace wizpak
