#include "package/install_writer.h"

#include "platform/files.h"

namespace wizpak {

namespace {

// Open folders kept at once; a group spread over more folders reopens some.
constexpr size_t kFolderCacheSize = 64;

std::string_view FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return std::string_view();
  // "C:\x.txt" lives in the drive root "C:\".
  if (cut == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, cut);
}

std::string_view NamePart(std::string_view path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string InstallWriter::FailureText(std::string_view path) {
  const std::string reason = platform::LastErrorText();
  // Link and folder refusals already name the path they found.
  if (!reason.empty() && (reason[0] == '/' || (reason.size() > 2 && reason[1] == ':')))
    return "Cannot install " + std::string(path) + ": " + reason;
  return "Cannot write " + std::string(path) + ": " + (reason.empty() ? "unknown error" : reason);
}

const platform::Folder& InstallWriter::FolderOf(std::string_view path) {
  const std::string folder(FolderPart(path));
  auto found = folders_.find(folder);
  if (found != folders_.end()) return found->second;
  if (folders_.size() >= kFolderCacheSize) folders_.clear();
  platform::Folder opened =
      platform::Folder::Open(folder, /*create=*/true, [this](std::string_view level) {
        // Logged once: LogLevels below skips it.
        std::string_view bare = level;
        while (bare.size() > 3 && bare.back() == '\\') bare.remove_suffix(1);
        logged_levels_.emplace(bare);
        if (hooks_.add_directory) hooks_.add_directory(level);
      });
  if (!opened) throw ExtractionError(FailureText(path));
  // What an earlier run left when it was killed while writing here.
  platform::RemoveStaleTemporaries(opened);
  LogLevels(folder);
  return folders_.emplace(folder, std::move(opened)).first->second;
}

void InstallWriter::LogLevels(const std::string& folder) {
  // Levels that existed already are the installation's too when files are
  // written into them: made by an earlier run that was killed before its
  // log was saved, they would otherwise stay empty after the uninstall
  // (which removes a folder only when it is empty).
  if (!hooks_.add_directory) return;
  std::string root = folder_;
  while (root.size() > 3 && root.back() == '\\') root.pop_back();
  if (folder.size() < root.size() || folder.compare(0, root.size(), root) != 0 ||
      (folder.size() > root.size() && folder[root.size()] != '\\'))
    return;
  for (size_t end = root.size();; end = folder.find('\\', end + 1)) {
    const std::string level = folder.substr(0, end == std::string::npos ? folder.size() : end);
    if (level.size() > 3 && logged_levels_.insert(level).second) hooks_.add_directory(level + "\\");
    if (end == std::string::npos || end >= folder.size()) break;
  }
}

platform::ReplacingFile InstallWriter::Begin(std::string_view path) {
  platform::ReplacingFile file = platform::ReplacingFile::Begin(FolderOf(path), NamePart(path));
  if (!file) throw ExtractionError(FailureText(path));
  return file;
}

void InstallWriter::Write(platform::ReplacingFile& file, std::string_view path, const void* data,
                          int64_t size) {
  if (!file.Write(data, size)) throw ExtractionError(FailureText(path));
}

void InstallWriter::Commit(platform::ReplacingFile& file, std::string_view path) {
  if (!file.Commit(/*sync=*/false)) throw ExtractionError(FailureText(path));
  wrote_ = true;
  // The log names what was really written: an existing file found in
  // another letter case keeps its own spelling, so the uninstaller removes
  // exactly it.
  if (hooks_.add_file) hooks_.add_file(platform::StoredSpelling(path));
}

void InstallWriter::WriteFile(std::string_view path, std::string_view content) {
  // Most names are new: written in place at once. A name that holds
  // anything goes through a ReplacingFile, which keeps the old file until
  // the new one is whole and refuses links and folders.
  switch (platform::WriteNewFile(FolderOf(path), NamePart(path), content)) {
    case platform::NewFileResult::Written:
      wrote_ = true;
      if (hooks_.add_file) hooks_.add_file(platform::StoredSpelling(path));
      return;
    case platform::NewFileResult::Failed:
      throw ExtractionError(FailureText(path));
    case platform::NewFileResult::Taken:
      break;
  }
  platform::ReplacingFile file = Begin(path);
  Write(file, path, content.data(), static_cast<int64_t>(content.size()));
  Commit(file, path);
}

void InstallWriter::Finish() {
  if (!wrote_ || folders_.empty()) return;
  const platform::Folder& any = folders_.begin()->second;
  if (!any.SyncFileSystem()) throw ExtractionError(FailureText(folder_));
  wrote_ = false;
}

}  // namespace wizpak
