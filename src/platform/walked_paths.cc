#include "platform/walked_paths.h"

#include <algorithm>
#include <cerrno>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/safe_files.h"

namespace wizpak::platform {

std::pair<std::string, std::string> SplitLastLevel(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return {std::string(), std::string(path)};
  std::string folder(path.substr(0, cut));
  // A drive root or the host root keeps its separator.
  if (cut == 2 && path[1] == ':') folder = std::string(path.substr(0, 3));
  if (cut == 0) folder = std::string(path.substr(0, 1));
  return {std::move(folder), std::string(path.substr(cut + 1))};
}

namespace {

Folder OpenFolderOf(std::string_view path, std::string& name) {
  // A host path inside a drive is walked from that drive's root (the drive
  // map's choice, trusted like any drive root), not from "/".
  const std::string program =
      !path.empty() && path[0] == '/' ? FromHostPath(path) : std::string(path);
  auto [folder, last] = SplitLastLevel(program);
  name = std::move(last);
  if (folder.empty() || name.empty()) {
    SetLastErrorText(program + " is not a file path");
    return Folder();
  }
  return Folder::Open(folder, /*create=*/false);
}

// Opens the folder above `path` and removes its last level with `remove`
// (a Folder member). A folder or entry that does not exist is Missing.
DeleteResult RemoveLastLevel(std::string_view path,
                             bool (Folder::*remove)(std::string_view) const) {
  std::string name;
  const Folder folder = OpenFolderOf(path, name);
  if (!folder) {
    // A folder that does not exist holds nothing to remove.
    return LastErrorText().ends_with("does not exist") ? DeleteResult::Missing
                                                       : DeleteResult::Failed;
  }
  if (folder.KindOf(name) == Folder::Kind::Missing) return DeleteResult::Missing;
  return (folder.*remove)(name) ? DeleteResult::Deleted : DeleteResult::Failed;
}

}  // namespace

bool WriteFileWalked(std::string_view path, std::string_view bytes) {
  std::string name;
  const Folder folder = OpenFolderOf(path, name);
  if (!folder) return false;
  ReplacingFile file = ReplacingFile::Begin(folder, name);
  if (!file || !file.Write(bytes.data(), static_cast<int64_t>(bytes.size()))) return false;
  return file.Commit(/*sync=*/true);
}

bool CopyFileWalked(std::string_view from, std::string_view to) {
  File source = File::Open(from, OpenMode::ReadShared);
  if (!source) return false;
  std::string name;
  const Folder folder = OpenFolderOf(to, name);
  if (!folder) return false;
  ReplacingFile file = ReplacingFile::Begin(folder, name);
  if (!file) return false;
  std::string piece(1 << 20, '\0');
  for (;;) {
    const int64_t got = source.Read(piece.data(), static_cast<int64_t>(piece.size()));
    if (got < 0) return false;
    if (got == 0) break;
    if (!file.Write(piece.data(), got)) return false;
  }
  return file.Commit(/*sync=*/true);
}

DeleteResult DeleteFileWalked(std::string_view path) {
  return RemoveLastLevel(path, &Folder::DeleteEntry);
}

DeleteResult RemoveFolderWalked(std::string_view path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
  return RemoveLastLevel(path, &Folder::RemoveFolder);
}

bool LastErrorIsLink() {
  return LastErrorText().ends_with(" is a link");
}

}  // namespace wizpak::platform
