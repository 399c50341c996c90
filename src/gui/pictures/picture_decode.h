// Decoding of the picture files a layout names (JPEG, Windows BMP, ICO, PNG)
// from bytes in memory into one RGBA form every backend can show. Each
// decoder checks every size and offset against the bytes it was given and
// refuses a bad or oversized file with an empty result.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace wizpak::gui {

// Rows top-down, 4 bytes per pixel: red, green, blue, alpha (255 = opaque).
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// `format` is the file's extension without the dot, in any case: jpg, jpeg,
// bmp, ico, png, wmf or emf. Unknown formats and unreadable files give nothing.
std::optional<RgbaImage> DecodePicture(std::string_view bytes, std::string_view format);

std::optional<RgbaImage> DecodeJpeg(std::string_view bytes);
std::optional<RgbaImage> DecodeBmp(std::string_view bytes);
// The largest image of the icon file.
std::optional<RgbaImage> DecodeIco(std::string_view bytes);
std::optional<RgbaImage> DecodePng(std::string_view bytes);

}  // namespace wizpak::gui
