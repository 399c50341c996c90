// Small writers of picture files for tests and fuzz seeds: BMP (every depth
// and header the reader knows), icon files, PNG through libpng and JPEG
// through libjpeg. Each takes an RGBA picture and gives the file's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gui/pictures/picture_decode.h"

namespace wizpak::test {

using gui::RgbaImage;

struct BmpOptions {
  int bits = 24;
  bool top_down = false;
  uint32_t compression = 0;  // 0 plain, 3 bit fields; others are written as given
  uint32_t header_size = 40;
  // Colours of the palette (1, 4 and 8 bits) as 0x00RRGGBB; every pixel of
  // the picture must be one of them.
  std::vector<uint32_t> palette;
  // Red, green, blue and alpha masks of 16- and 32-bit pixels.
  std::array<uint32_t, 4> masks{0xFF0000, 0x00FF00, 0x0000FF, 0};
  // An icon image: no file header, twice the height in the header, and an
  // AND mask (set where alpha is 0) after the colour rows.
  bool icon = false;
};

// A picture from a function of (x, y) giving 0xAARRGGBB.
template <typename PixelAt>
RgbaImage MakePicture(int width, int height, PixelAt pixel_at) {
  RgbaImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = pixel_at(x, y);
      uint8_t* p = &image.pixels[(size_t(y) * width + x) * 4];
      p[0] = uint8_t(argb >> 16);
      p[1] = uint8_t(argb >> 8);
      p[2] = uint8_t(argb);
      p[3] = uint8_t(argb >> 24);
    }
  }
  return image;
}

// 0xAARRGGBB of one pixel.
uint32_t PixelOf(const RgbaImage& image, int x, int y);

std::string WriteBmp(const RgbaImage& image, const BmpOptions& options);

struct IconEntry {
  int width = 0;
  int height = 0;
  std::string bytes;  // an icon bitmap (BmpOptions::icon) or a PNG file
};
std::string WriteIco(const std::vector<IconEntry>& entries);

std::string WritePng(const RgbaImage& image);
// `grey` writes one channel (the red one); `cmyk_inverted` writes CMYK as
// Photoshop does (inverted inks, Adobe marker) from the picture's colours.
enum class JpegKind { kColour, kGrey, kCmykInverted };
std::string WriteJpeg(const RgbaImage& image, int quality, JpegKind kind = JpegKind::kColour,
                      bool progressive = false);

}  // namespace wizpak::test
