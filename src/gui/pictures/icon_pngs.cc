// Icon images as PNG files: the icon directory is read with the same
// checks as the icon decoder, each image decoded by it, and written with
// libpng's simplified writer.
#include "gui/icon_pngs.h"

#include <png.h>

#include <algorithm>
#include <map>

#include "gui/pictures/dib_decode.h"
#include "gui/pictures/icon_directory.h"
#include "gui/pictures/picture_limits.h"

namespace wizpak::gui {
namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
// Hicolor sizes go up to 512; a larger image is no icon a menu shows.
constexpr int kMaxIconSide = 1024;

std::optional<std::string> EncodePng(const RgbaImage& image) {
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  info.width = static_cast<png_uint_32>(image.width);
  info.height = static_cast<png_uint_32>(image.height);
  info.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  const png_int_32 stride = image.width * 4;
  if (!png_image_write_to_memory(&info, nullptr, &size, 0, image.pixels.data(), stride, nullptr)) {
    return std::nullopt;
  }
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&info, out.data(), &size, 0, image.pixels.data(), stride,
                                 nullptr)) {
    return std::nullopt;
  }
  out.resize(size);
  return out;
}

struct Found {
  int bits = 0;
  std::string png;
};

}  // namespace

std::vector<SizedPng> IconAsPngs(std::string_view ico) {
  std::map<int, Found, std::greater<int>> by_size;
  for (const IconDirectoryImage& entry : IconDirectoryImages(ico, /*cursors=*/false)) {
    const std::string_view bytes = entry.bytes;
    std::optional<RgbaImage> image;
    int bits = 32;
    if (bytes.starts_with(kPngSignature)) {
      image = DecodePng(bytes);
    } else {
      DibPlace place;
      place.icon = true;
      const auto shape = ReadDibShape(bytes, place);
      if (!shape) continue;
      bits = shape->bits;
      image = DecodeDib(bytes, place);
    }
    if (!image || image->width != image->height || image->width > kMaxIconSide) continue;
    const auto known = by_size.find(image->width);
    if (known != by_size.end() && known->second.bits >= bits) continue;
    // A PNG image is a PNG file already; the decode above only checked it.
    std::optional<std::string> png =
        bytes.starts_with(kPngSignature) ? std::string(bytes) : EncodePng(*image);
    if (png) by_size[image->width] = {bits, std::move(*png)};
  }
  std::vector<SizedPng> out;
  for (auto& [side, found] : by_size) out.push_back({side, std::move(found.png)});
  return out;
}

}  // namespace wizpak::gui
