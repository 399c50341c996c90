#include "gui/pictures/dib_decode.h"

#include <algorithm>
#include <array>
#include <bit>

#include "gui/pictures/picture_limits.h"
#include "platform/byte_reader.h"

namespace wizpak::gui {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// One channel of a 16- or 32-bit pixel: the bits of its mask, scaled to 0..255
// with rounding (a 5-bit 16 becomes 132, as 16 * 255 / 31 = 131.6).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  uint8_t Of(uint32_t pixel, uint8_t when_absent) const {
    if (max == 0) return when_absent;
    return static_cast<uint8_t>((uint64_t{(pixel & mask) >> shift} * 255 + max / 2) / max);
  }
};

struct Header {
  DibShape shape;
  bool top_down = false;
  uint32_t compression = kBiRgb;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  uint64_t palette_at = 0;
  uint64_t stored_colours = 0;  // palette entries stored in the bitmap
  uint64_t used_colours = 0;    // of those, the ones pixels can name
};

bool KnownHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

std::optional<Header> ReadHeader(std::string_view bytes, const DibPlace& place) {
  const size_t at = place.header_at;
  const ByteReader in(bytes);
  const auto size = in.U32At(at);
  if (!size || !KnownHeaderSize(*size) || bytes.size() - at < *size) return std::nullopt;
  Header h;
  const auto width = static_cast<int32_t>(in.U32At(at + 4).value_or(0));
  const auto height = static_cast<int32_t>(in.U32At(at + 8).value_or(0));
  h.shape.bits = in.U16At(at + 14).value_or(0);
  h.compression = in.U32At(at + 16).value_or(0);
  const uint32_t colours_used = in.U32At(at + 32).value_or(0);

  h.top_down = height < 0;
  h.shape.width = width;
  h.shape.height = height < 0 ? -int64_t{height} : int64_t{height};
  if (place.icon) h.shape.height /= 2;
  if (h.shape.width <= 0 || h.shape.height <= 0) return std::nullopt;

  const int bits = h.shape.bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return std::nullopt;
  }
  uint64_t masks_end = at + *size;
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    if (bits != 16 && bits != 32) return std::nullopt;
    // A plain info header is followed by the masks; the longer headers hold
    // red, green and blue at 40 and (from 56 bytes on) alpha at 52.
    const int count = h.compression == kBiAlphaBitfields ? 4 : 3;
    size_t masks_at = at + 40;
    if (*size == 40) {
      masks_end += 4 * count;
    } else if (*size == 52 && count == 4) {
      return std::nullopt;  // the alpha mask would overlap what follows
    }
    for (int i = 0; i < count || (i < 4 && *size >= 56); ++i) {
      const auto mask = in.U32At(masks_at + 4 * i);
      if (!mask) return std::nullopt;
      h.masks[i] = *mask;
    }
  } else if (h.compression == kBiRgb) {
    if (bits == 16) h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (bits == 32) h.masks = {0xFF0000, 0x00FF00, 0x0000FF, place.icon ? 0xFF000000u : 0};
  } else {
    return std::nullopt;  // run-length, JPEG or PNG compressed
  }

  h.palette_at = masks_end;
  if (bits <= 8) {
    const uint64_t full = uint64_t{1} << bits;
    h.stored_colours = colours_used == 0 ? full : colours_used;
    h.used_colours = std::min(h.stored_colours, full);
  } else {
    h.stored_colours = colours_used;  // an optional palette, not used for pixels
  }
  if (h.palette_at + h.used_colours * 4 > bytes.size()) return std::nullopt;
  return h;
}

void Put(RgbaImage& image, size_t pixel, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  uint8_t* p = &image.pixels[pixel * 4];
  p[0] = r;
  p[1] = g;
  p[2] = b;
  p[3] = a;
}

// Palette entries as RGBA; indexes past the stored colours are black.
using Palette = std::array<std::array<uint8_t, 4>, 256>;

Palette ReadPalette(const Header& h, std::string_view bytes) {
  Palette palette;
  palette.fill({0, 0, 0, 255});
  for (size_t i = 0; i < h.used_colours; ++i) {
    const size_t entry = static_cast<size_t>(h.palette_at) + i * 4;
    palette[i] = {static_cast<uint8_t>(bytes[entry + 2]), static_cast<uint8_t>(bytes[entry + 1]),
                  static_cast<uint8_t>(bytes[entry]), 255};
  }
  return palette;
}

template <int kBits>
void DecodeIndexedRow(const Palette& palette, const uint8_t* row, size_t width, uint8_t* out) {
  constexpr int kPerByte = 8 / kBits;
  constexpr unsigned kIndexMask = (1u << kBits) - 1;
  for (size_t x = 0; x < width; ++x, out += 4) {
    const int shift = 8 - kBits * (1 + static_cast<int>(x % kPerByte));
    const auto& colour = palette[(row[x / kPerByte] >> shift) & kIndexMask];
    std::copy(colour.begin(), colour.end(), out);
  }
}

// `pixels` is one whole row of the bitmap.
void DecodeRow(const Header& h, const Palette& palette, std::string_view pixels, RgbaImage& image,
               size_t first_pixel) {
  const size_t width = static_cast<size_t>(h.shape.width);
  const auto* row = reinterpret_cast<const uint8_t*>(pixels.data());
  uint8_t* out = &image.pixels[first_pixel * 4];
  switch (h.shape.bits) {
    case 1:
      DecodeIndexedRow<1>(palette, row, width, out);
      break;
    case 4:
      DecodeIndexedRow<4>(palette, row, width, out);
      break;
    case 8:
      DecodeIndexedRow<8>(palette, row, width, out);
      break;
    case 24:
      for (size_t x = 0; x < width; ++x) {
        const uint8_t* p = row + 3 * x;
        Put(image, first_pixel + x, p[2], p[1], p[0], 255);
      }
      break;
    default: {
      const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
      const bool wide = h.shape.bits == 32;
      const ByteReader in(pixels);
      for (size_t x = 0; x < width; ++x) {
        const uint32_t pixel = wide ? in.U32At(4 * x).value_or(0) : in.U16At(2 * x).value_or(0);
        Put(image, first_pixel + x, red.Of(pixel, 0), green.Of(pixel, 0), blue.Of(pixel, 0),
            alpha.Of(pixel, 255));
      }
    }
  }
}

// An alpha channel that is zero everywhere is taken as no alpha channel:
// writers that fill the fourth byte with zeros mean an opaque picture.
bool MakeOpaqueIfInvisible(RgbaImage& image) {
  for (size_t i = 3; i < image.pixels.size(); i += 4) {
    if (image.pixels[i] != 0) return false;
  }
  for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  return true;
}

uint64_t RowBytes(int64_t width, int bits) {
  return (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
}

}  // namespace

std::optional<DibShape> ReadDibShape(std::string_view bytes, const DibPlace& place) {
  const auto header = ReadHeader(bytes, place);
  if (!header) return std::nullopt;
  return header->shape;
}

std::optional<RgbaImage> DecodeDib(std::string_view bytes, const DibPlace& place) {
  const auto header = ReadHeader(bytes, place);
  if (!header) return std::nullopt;
  const Header& h = *header;
  const int64_t width = h.shape.width, height = h.shape.height;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return std::nullopt;

  const uint64_t pixels_at =
      place.pixels_at ? *place.pixels_at : h.palette_at + h.stored_colours * 4;
  const uint64_t stride = RowBytes(width, h.shape.bits);
  const uint64_t colour_bytes = stride * static_cast<uint64_t>(height);
  if (pixels_at > bytes.size() || bytes.size() - pixels_at < colour_bytes) return std::nullopt;

  auto image = BlankImage(width, height);
  if (!image) return std::nullopt;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const Palette palette = ReadPalette(h, bytes);
  for (int64_t r = 0; r < height; ++r) {
    const int64_t y = h.top_down ? r : height - 1 - r;
    DecodeRow(h, palette, bytes.substr(pixels_at + static_cast<uint64_t>(r) * stride, stride),
              *image, static_cast<size_t>(y * width));
  }

  const bool has_alpha = h.masks[3] != 0 && !MakeOpaqueIfInvisible(*image);
  if (!place.icon || has_alpha) return image;

  // The AND mask: one bit a pixel, set where the icon is transparent. An icon
  // whose mask is cut off is shown opaque.
  const uint64_t mask_at = pixels_at + colour_bytes;
  const uint64_t mask_stride = RowBytes(width, 1);
  if (bytes.size() - mask_at < mask_stride * static_cast<uint64_t>(height)) return image;
  for (int64_t r = 0; r < height; ++r) {
    const int64_t y = h.top_down ? r : height - 1 - r;
    const uint8_t* row = data + mask_at + static_cast<uint64_t>(r) * mask_stride;
    for (int64_t x = 0; x < width; ++x) {
      if ((row[x / 8] >> (7 - x % 8)) & 1)
        image->pixels[static_cast<size_t>(y * width + x) * 4 + 3] = 0;
    }
  }
  return image;
}

}  // namespace wizpak::gui
