// Device-independent bitmaps: the pixel part of a Windows BMP file and of an
// icon image. Info headers of 40, 52, 56, 108 and 124 bytes; 1, 4 and 8 bits
// through a palette, 16 and 32 bits through bit masks, 24 bits; bottom-up
// and top-down rows. Compressed bitmaps (RLE8, RLE4, JPEG, PNG) are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "gui/pictures/picture_decode.h"

namespace wizpak::gui {

struct DibShape {
  int64_t width = 0;
  int64_t height = 0;  // of the picture: an icon's header holds twice this
  int bits = 0;
};

// Where the bitmap lies in `bytes`: its info header at `header_at`, its
// pixel rows at `pixels_at`, or right after the header, bit masks and
// palette when that is not given (as in an icon image).
struct DibPlace {
  size_t header_at = 0;
  std::optional<size_t> pixels_at;
  // An icon image: the header's height counts the AND mask too, and the mask
  // after the colour rows makes its pixels transparent.
  bool icon = false;
};

// The size and depth the header states, without decoding: nothing when the
// header is not one this reader decodes.
std::optional<DibShape> ReadDibShape(std::string_view bytes, const DibPlace& place);

std::optional<RgbaImage> DecodeDib(std::string_view bytes, const DibPlace& place);

}  // namespace wizpak::gui
