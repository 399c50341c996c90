#include "gui/pictures/picture_limits.h"

namespace wizpak::gui {

std::optional<RgbaImage> BlankImage(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      width * height > kMaxPicturePixels) {
    return std::nullopt;
  }
  RgbaImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.assign(static_cast<size_t>(width * height) * 4, 0);
  for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  return image;
}

}  // namespace wizpak::gui
