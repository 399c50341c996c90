// A folder of files as the source of a patch, for the author's tool: every
// file below the folder, in name order, under its relative path with "\"
// between folders. All files form group 1.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gamearchive/pak_system.h"

namespace wizpak::gamearchive {

class FolderSource : public PatchSource {
 public:
  // Lists the folder (host or program path); nullopt when it cannot be read.
  static std::optional<FolderSource> Open(const std::string& folder);

  uint32_t CountInGroup(uint16_t group) override;
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) override;
  std::string EntryName(uint32_t index) override { return files_[index].name; }
  uint32_t EntrySize(uint32_t index) override { return files_[index].size; }
  std::optional<std::string> Extract(uint32_t index) override;

 private:
  struct File {
    std::string name;
    std::string path;
    uint32_t size = 0;
  };
  bool Collect(const std::string& folder, const std::string& prefix);
  std::vector<File> files_;
};

}  // namespace wizpak::gamearchive
