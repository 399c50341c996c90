// PNG pictures through libpng's simplified reader, which reads from memory,
// turns every colour type and depth into 8-bit RGBA and reports bad data as a
// failed call (it catches libpng's errors with its own setjmp).
#include <png.h>

#include "gui/pictures/picture_decode.h"
#include "gui/pictures/picture_limits.h"

namespace wizpak::gui {

std::optional<RgbaImage> DecodePng(std::string_view bytes) {
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&info, bytes.data(), bytes.size())) return std::nullopt;
  auto image = BlankImage(info.width, info.height);
  if (!image) {
    png_image_free(&info);
    return std::nullopt;
  }
  info.format = PNG_FORMAT_RGBA;
  const png_int_32 stride = image->width * 4;
  if (!png_image_finish_read(&info, nullptr, image->pixels.data(), stride, nullptr)) {
    png_image_free(&info);
    return std::nullopt;
  }
  return image;
}

}  // namespace wizpak::gui
