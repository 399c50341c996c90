#include "package/package_files.h"

#include "package/install_writer.h"
#include "package/package_hooks.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/safe_files.h"

namespace wizpak {

std::optional<std::string> ReadShortString(platform::File& file) {
  char count[2];
  if (file.Read(count, 2) != 2) return std::nullopt;
  std::string text(ByteReader(count, 2).U16().value_or(0), '\0');
  if (file.Read(text.data(), static_cast<int64_t>(text.size())) !=
      static_cast<int64_t>(text.size()))
    return std::nullopt;
  return text;
}

bool WriteShortString(platform::File& file, std::string_view s) {
  const auto n = static_cast<uint16_t>(s.size() & 0xFFFF);
  std::string count;
  AppendLe16(count, n);
  return !file.Write(count) || !file.Write(s.data(), n);
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  return platform::ReadFileBytes(path, 0xFFFFFFFFu);
}

bool WriteFileForced(std::string_view path, std::string_view data, const PackageHooks& hooks) {
  try {
    InstallWriter writer{std::string(path), hooks};
    platform::ReplacingFile file = writer.Begin(path);
    InstallWriter::Write(file, path, data.data(), static_cast<int64_t>(data.size()));
    return file.Commit(/*sync=*/true);
  } catch (const ExtractionError& error) {
    platform::SetLastErrorText(error.what());
    return false;
  }
}

void ForceFoldersLogged(std::string_view path, const PackageHooks& hooks) {
  if (path.size() <= 3 || path[1] != ':' || path[2] != '\\') return;
  // Opening the folder makes (and logs) every missing level; a link or a
  // file in the way stops it there.
  platform::Folder::Open(path, /*create=*/true, [&hooks](std::string_view level) {
    if (hooks.add_directory) hooks.add_directory(level);
  });
}

}  // namespace wizpak
