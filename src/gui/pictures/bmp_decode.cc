// Windows BMP files: a 14-byte file header ("BM", file size, two reserved
// words, offset of the pixel rows) followed by a device-independent bitmap.
#include "gui/pictures/dib_decode.h"
#include "gui/pictures/picture_decode.h"
#include "platform/byte_reader.h"

namespace wizpak::gui {

std::optional<RgbaImage> DecodeBmp(std::string_view bytes) {
  constexpr size_t kFileHeaderBytes = 14;
  if (bytes.size() < kFileHeaderBytes || bytes.substr(0, 2) != "BM") return std::nullopt;
  DibPlace place;
  place.header_at = kFileHeaderBytes;
  // Some writers leave the offset zero: the rows then follow the palette.
  if (const uint32_t offset = ByteReader(bytes).U32At(10).value_or(0); offset != 0)
    place.pixels_at = offset;
  return DecodeDib(bytes, place);
}

}  // namespace wizpak::gui
