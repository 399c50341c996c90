#include "text/exe_icon.h"

#include "platform/files.h"
#include "platform/shell.h"

namespace wizpak {
namespace {

uint16_t ReadU16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}

uint32_t ReadU32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(ReadU16(b, at)) | (static_cast<uint32_t>(ReadU16(b, at + 2)) << 16);
}

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;

}  // namespace

std::optional<IconImage> ParseIconFile(std::string_view file) {
  if (file.size() < kHeaderBytes + kEntryBytes) return std::nullopt;
  if (ReadU16(file, 0) != 0 || ReadU16(file, 2) != 1) return std::nullopt;
  const uint16_t count = ReadU16(file, 4);
  if (count == 0) return std::nullopt;
  const size_t entry = kHeaderBytes;
  const uint64_t size = ReadU32(file, entry + 8);
  const uint64_t offset = ReadU32(file, entry + 12);
  if (size == 0 || offset > file.size() || size > file.size() - offset) return std::nullopt;
  IconImage image;
  image.width = static_cast<uint8_t>(file[entry]);
  image.height = static_cast<uint8_t>(file[entry + 1]);
  image.image_count = count;
  image.directory_entry = std::string(file.substr(entry, 12));
  image.bytes = std::string(file.substr(static_cast<size_t>(offset), static_cast<size_t>(size)));
  return image;
}

bool IsPeImage(std::string_view header) {
  if (header.size() < 0x40 || header[0] != 'M' || header[1] != 'Z') return false;
  const uint32_t pe = ReadU32(header, 0x3C);
  if (pe > header.size() || header.size() - pe < 4) return false;
  return header.substr(pe, 4) == std::string_view("PE\0\0", 4);
}

bool ReplaceExeIcon(std::string_view icon_file, std::string_view exe_file) {
  const auto icon_bytes = platform::ReadFileBytes(icon_file, kMaxIconFileBytes);
  if (!icon_bytes) return false;
  const auto image = ParseIconFile(*icon_bytes);
  if (!image) return false;

  platform::File exe = platform::File::Open(exe_file, platform::OpenMode::ReadShared);
  if (!exe) return false;
  // The DOS header and a PE header offset within the first 4 KiB cover
  // every image a linker writes.
  std::string header(4096, '\0');
  const int64_t got = exe.Read(header.data(), static_cast<int64_t>(header.size()));
  if (got <= 0) return false;
  header.resize(static_cast<size_t>(got));
  if (!IsPeImage(header)) return false;
  exe.Close();
  return platform::WriteExeIcon(exe_file, image->directory_entry, image->bytes);
}

}  // namespace wizpak
