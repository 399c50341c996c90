#include "compiler/file_groups.h"

#include <algorithm>
#include <filesystem>

#include "compiler/path_join.h"
#include "platform/files.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"

namespace wizpak::compiler {
namespace {

// True when the link at `path` leads to something outside `root` (both
// program paths); a link that cannot be resolved counts as leaving.
bool LeadsOutside(const std::string& path, const std::string& root) {
  const auto host = platform::ToHostPath(path);
  const auto host_root = platform::ToHostPath(root);
  if (!host || !host_root) return true;
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(*host, error);
  if (error) return true;
  const std::filesystem::path base = std::filesystem::canonical(*host_root, error);
  if (error) return true;
  const auto [end, unused] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
  return end != base.end();
}

std::string AddFolder(const std::string& folder, const std::string& prefix, int depth,
                      uint16_t group, TCompilerFileList& list, const std::string& root) {
  if (depth > kMaxFolderDepth) {
    return "Folder is nested more than " + std::to_string(kMaxFolderDepth) + " levels deep - " +
           folder;
  }
  const auto entries = platform::ListFolder(folder);
  if (!entries) {
    return "Cannot read folder - " + folder + " (" + platform::LastErrorText() + ")";
  }
  for (const platform::FolderEntry& entry : *entries) {
    if (!entry.name_exact) {
      return "File name cannot be stored in a package: Windows-1252 has no character for part "
             "of it (or it is not UTF-8) - " +
             JoinProgramPath(folder, platform::VisibleText(entry.host_name));
    }
    if (platform::HasControlCharacter(entry.name)) {
      return "File name cannot be stored in a package: it holds a control character - " +
             JoinProgramPath(folder, platform::VisibleText(entry.name));
    }
    if (entry.name.find_first_of("\\:") != std::string::npos) {
      return "File name cannot be stored in a package - " + JoinProgramPath(folder, entry.name);
    }
    const std::string path = JoinProgramPath(folder, entry.name);
    const std::string name = prefix.empty() ? entry.name : prefix + "\\" + entry.name;
    // A pipe, socket or device would block the build forever when read.
    if (entry.is_other) {
      list.notes.push_back(path + ": not a regular file, skipped");
      continue;
    }
    if (entry.is_link && !list.follow_links && LeadsOutside(path, root)) {
      list.notes.push_back(path + ": link leads outside the source folder " + root +
                           " (packed; --follow-links silences this)");
    }
    if (entry.is_folder) {
      std::string problem = AddFolder(path, name, depth + 1, group, list, root);
      if (!problem.empty()) return problem;
    } else {
      list.files.push_back({path, name, group});
    }
  }
  return "";
}

// Host form with single separators and without "." and ".." levels, for
// comparing two spellings of a path ("script/../tool/x" names "tool/x").
std::string ComparableHostPath(const std::string& path) {
  const auto host = platform::ToHostPath(path);
  if (!host) return "";
  return std::filesystem::path(*host).lexically_normal().string();
}

}  // namespace

void ExcludeGroupFile(const std::string& path, TCompilerFileList& list) {
  const std::string excluded = ComparableHostPath(path);
  if (excluded.empty()) return;
  std::erase_if(list.files, [&](const TCompilerFile& file) {
    return file.group != 0 && ComparableHostPath(file.source_path) == excluded;
  });
}

std::string AddSourceToGroup(const std::string& source, uint16_t group, TCompilerFileList& list) {
  if (platform::FileExists(source) && !platform::IsRegularFile(source)) {
    list.notes.push_back(source + ": not a regular file, skipped");
    return "";
  }
  if (platform::FileExists(source)) {
    const std::size_t cut = source.find_last_of("\\/");
    const std::string name = cut == std::string::npos ? source : source.substr(cut + 1);
    if (name.empty() || name == "..") return "Not a file name - " + source;
    list.files.push_back({source, name, group});
    return "";
  }
  if (platform::DirectoryExists(source)) return AddFolder(source, "", 0, group, list, source);
  return "Source file not found - " + source;
}

}  // namespace wizpak::compiler
