#include "gamearchive/folder_source.h"

#include <cstdio>

#include "platform/files.h"

namespace wizpak::gamearchive {

std::optional<FolderSource> FolderSource::Open(const std::string& folder) {
  FolderSource source;
  if (!source.Collect(folder, "")) return std::nullopt;
  return source;
}

bool FolderSource::Collect(const std::string& folder, const std::string& prefix) {
  const auto listing = platform::ListFolder(folder);
  if (!listing) return false;
  for (const auto& item : *listing) {
    const std::string path = folder + "/" + item.name;
    const std::string name = prefix.empty() ? item.name : prefix + "\\" + item.name;
    if (item.is_other) {
      // A pipe or device would block the patch forever: not a file to add.
      std::fprintf(stderr, "%s: not a regular file, skipped\n", path.c_str());
    } else if (item.is_folder) {
      if (!Collect(path, name)) return false;
    } else if (item.size <= 0xFFFFFFFFu) {
      files_.push_back({name, path, static_cast<uint32_t>(item.size)});
    }
  }
  return true;
}

uint32_t FolderSource::CountInGroup(uint16_t group) {
  return group == 1 ? static_cast<uint32_t>(files_.size()) : 0;
}

void FolderSource::ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) {
  if (group != 1) return;
  for (uint32_t i = 0; i < files_.size(); ++i) fn(i);
}

std::optional<std::string> FolderSource::Extract(uint32_t index) {
  return platform::ReadFileBytes(files_[index].path, 0xFFFFFFFFu);
}

}  // namespace wizpak::gamearchive
