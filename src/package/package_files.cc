#include "package/package_files.h"

#include "package/package_hooks.h"

namespace wizpak {

PackageHooks& Hooks() {
  static PackageHooks hooks;
  return hooks;
}

std::optional<std::string> ReadShortString(platform::File& file) {
  uint8_t count[2];
  if (file.Read(count, 2) != 2) return std::nullopt;
  std::string text(static_cast<size_t>(count[0] | count[1] << 8), '\0');
  if (file.Read(text.data(), static_cast<int64_t>(text.size())) !=
      static_cast<int64_t>(text.size()))
    return std::nullopt;
  return text;
}

bool WriteShortString(platform::File& file, std::string_view s) {
  const size_t n = s.size() & 0xFFFF;
  const char count[2] = {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
  return !file.Write(count, 2) || !file.Write(s.data(), static_cast<int64_t>(n));
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  return platform::ReadFileBytes(path, 0xFFFFFFFFu);
}

namespace {

std::string_view FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

}  // namespace

bool WriteFileForced(std::string_view path, std::string_view data) {
  ForceFoldersLogged(FolderPart(path));
  platform::File file = platform::File::Open(path, platform::OpenMode::Create);
  if (!file) return false;
  return data.empty() || file.Write(data);
}

void ForceFoldersLogged(std::string_view path) {
  if (path.size() <= 3 || path[1] != ':' || path[2] != '\\') return;
  std::string level(path.substr(0, 3));
  size_t pos = 3;
  while (pos < path.size()) {
    size_t end = path.find('\\', pos);
    if (end == std::string_view::npos) end = path.size();
    if (end > pos) {
      level.append(path.substr(pos, end - pos));
      level.push_back('\\');
      if (!platform::DirectoryExists(level) && platform::CreateDirectory(level) &&
          Hooks().add_directory)
        Hooks().add_directory(level);
    }
    pos = end + 1;
  }
}

}  // namespace wizpak
