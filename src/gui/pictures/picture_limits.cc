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

std::optional<uint32_t> LoadLe32(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

std::optional<uint16_t> LoadLe16(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 2) return std::nullopt;
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

}  // namespace wizpak::gui
