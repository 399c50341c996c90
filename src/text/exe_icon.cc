#include "text/exe_icon.h"

#include "platform/byte_reader.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace wizpak {
namespace {

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;

}  // namespace

std::optional<IconImage> ParseIconFile(std::string_view file) {
  ByteReader in(file);
  const auto reserved = in.U16(), type = in.U16(), count = in.U16();
  const auto entry = in.Part(kHeaderBytes, kEntryBytes);
  if (!entry || reserved != 0u || type != 1u || count == 0u) return std::nullopt;
  const auto width = entry->U8At(0), height = entry->U8At(1);
  const auto bytes = in.TakeAt(entry->U32At(12).value_or(0), entry->U32At(8).value_or(0));
  if (!bytes || bytes->empty()) return std::nullopt;
  IconImage image;
  image.width = *width;
  image.height = *height;
  image.image_count = *count;
  image.directory_entry = std::string(entry->Whole().substr(0, 12));
  image.bytes = std::string(*bytes);
  return image;
}

bool IsPeImage(std::string_view header) {
  if (header.size() < 0x40 || header[0] != 'M' || header[1] != 'Z') return false;
  const ByteReader in(header);
  return in.TakeAt(in.U32At(0x3C).value_or(0), 4) == std::string_view("PE\0\0", 4);
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
