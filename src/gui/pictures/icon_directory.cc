#include "gui/pictures/icon_directory.h"

#include "platform/byte_reader.h"

namespace wizpak::gui {

std::vector<IconDirectoryImage> IconDirectoryImages(std::string_view file, bool cursors) {
  ByteReader directory(file);
  const auto reserved = directory.U16(), type = directory.U16(), count = directory.U16();
  if (!count || *reserved != 0 || (*type != 1 && !(cursors && *type == 2))) return {};
  std::vector<IconDirectoryImage> images;
  for (size_t i = 0; i < *count; ++i) {
    const size_t entry = 6 + 16 * i;
    const auto size = directory.U32At(entry + 8), offset = directory.U32At(entry + 12);
    if (!size || !offset) break;
    if (const auto bytes = directory.TakeAt(*offset, *size)) images.push_back({i, *bytes});
  }
  return images;
}

}  // namespace wizpak::gui
