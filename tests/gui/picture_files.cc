#include "picture_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

namespace wizpak::test {
namespace {

void Put(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
}

uint32_t Pack(uint32_t argb, const std::array<uint32_t, 4>& masks) {
  const uint32_t channels[4] = {(argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24};
  uint32_t pixel = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t mask = masks[i];
    if (mask == 0) continue;
    const int shift = __builtin_ctz(mask);
    const uint32_t max = mask >> shift;
    pixel |= ((channels[i] * max + 127) / 255) << shift;
  }
  return pixel;
}

}  // namespace

uint32_t PixelOf(const RgbaImage& image, int x, int y) {
  const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
  return (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

std::string WriteBmp(const RgbaImage& image, const BmpOptions& o) {
  const int w = image.width, h = image.height;
  const size_t stride = (size_t(w) * o.bits + 31) / 32 * 4;
  const bool external_masks = o.compression == 3 && o.header_size == 40;
  // Plain 16-bit pixels are 5-5-5; plain 32-bit ones carry the alpha mask's
  // byte too, which a reader must ignore.
  const std::array<uint32_t, 4> masks =
      o.compression == 3 ? o.masks
      : o.bits == 16     ? std::array<uint32_t, 4>{0x7C00, 0x03E0, 0x001F, 0}
                         : std::array<uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, o.masks[3]};

  std::string dib;
  Put(dib, o.header_size, 4);
  Put(dib, uint32_t(w), 4);
  const int32_t stored_height = (o.icon ? 2 * h : h) * (o.top_down ? -1 : 1);
  Put(dib, uint32_t(stored_height), 4);
  Put(dib, 1, 2);
  Put(dib, uint32_t(o.bits), 2);
  Put(dib, o.compression, 4);
  Put(dib, uint32_t(stride * h), 4);
  Put(dib, 2835, 4);
  Put(dib, 2835, 4);
  Put(dib, uint32_t(o.palette.size()), 4);
  Put(dib, 0, 4);
  for (int i = 0; dib.size() < o.header_size; ++i) {
    Put(dib, i < 4 ? o.masks[i] : 0, 4);  // masks of the longer headers, then zeros
  }
  if (external_masks) {
    for (int i = 0; i < 3; ++i) Put(dib, o.masks[i], 4);
  }
  for (uint32_t colour : o.palette) Put(dib, colour, 4);

  std::string rows;
  for (int r = 0; r < h; ++r) {
    const int y = o.top_down ? r : h - 1 - r;
    std::string row(stride, '\0');
    for (int x = 0; x < w; ++x) {
      const uint32_t argb = PixelOf(image, x, y);
      if (o.bits <= 8) {
        size_t index = 0;
        while (index < o.palette.size() && o.palette[index] != (argb & 0xFFFFFF)) ++index;
        if (index == o.palette.size()) std::abort();  // a colour the palette lacks
        const int shift = 8 - o.bits * (1 + x % (8 / o.bits));
        row[x * o.bits / 8] |= static_cast<char>(index << shift);
      } else if (o.bits == 24) {
        row[3 * x] = char(argb);
        row[3 * x + 1] = char(argb >> 8);
        row[3 * x + 2] = char(argb >> 16);
      } else {
        const uint32_t pixel = Pack(argb, masks);
        for (int i = 0; i < o.bits / 8; ++i) row[x * o.bits / 8 + i] = char(pixel >> (8 * i));
      }
    }
    rows += row;
  }
  if (o.icon) {
    const size_t mask_stride = (size_t(w) + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
      const int y = o.top_down ? r : h - 1 - r;
      std::string row(mask_stride, '\0');
      for (int x = 0; x < w; ++x) {
        if ((PixelOf(image, x, y) >> 24) == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
      }
      rows += row;
    }
    return dib + rows;
  }
  std::string file = "BM";
  Put(file, uint32_t(14 + dib.size() + rows.size()), 4);
  Put(file, 0, 4);
  Put(file, uint32_t(14 + dib.size()), 4);
  return file + dib + rows;
}

std::string WriteIco(const std::vector<IconEntry>& entries) {
  std::string file;
  Put(file, 0, 2);
  Put(file, 1, 2);
  Put(file, uint32_t(entries.size()), 2);
  uint32_t offset = uint32_t(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    file += char(e.width >= 256 ? 0 : e.width);
    file += char(e.height >= 256 ? 0 : e.height);
    Put(file, 0, 2);
    Put(file, 1, 2);
    Put(file, 32, 2);
    Put(file, uint32_t(e.bytes.size()), 4);
    Put(file, offset, 4);
    offset += uint32_t(e.bytes.size());
  }
  for (const IconEntry& e : entries) file += e.bytes;
  return file;
}

std::string WritePng(const RgbaImage& image) {
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  info.width = png_uint_32(image.width);
  info.height = png_uint_32(image.height);
  info.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(info, size, 0, image.pixels.data(), 0, nullptr)) {
    std::abort();
  }
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&info, out.data(), &size, 0, image.pixels.data(), 0, nullptr)) {
    std::abort();
  }
  out.resize(size);
  return out;
}

std::string WriteJpeg(const RgbaImage& image, int quality, JpegKind kind, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(image.width);
  info.image_height = JDIMENSION(image.height);
  info.input_components = kind == JpegKind::kGrey ? 1 : kind == JpegKind::kColour ? 3 : 4;
  info.in_color_space = kind == JpegKind::kGrey     ? JCS_GRAYSCALE
                        : kind == JpegKind::kColour ? JCS_RGB
                                                    : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(image.width) * 4);
  while (info.next_scanline < info.image_height) {
    const uint8_t* src = &image.pixels[size_t(info.next_scanline) * image.width * 4];
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = src + 4 * x;
      if (kind == JpegKind::kGrey) {
        row[x] = p[0];
      } else if (kind == JpegKind::kColour) {
        for (int i = 0; i < 3; ++i) row[3 * x + i] = p[i];
      } else {
        // Inverted inks: stored C = 255 - cyan ink = red, and K = 255 - black ink.
        const uint8_t k = std::max({p[0], p[1], p[2]});
        for (int i = 0; i < 3; ++i) row[4 * x + i] = k == 0 ? 0 : uint8_t(p[i] * 255 / k);
        row[4 * x + 3] = k;
      }
    }
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&info, &rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

}  // namespace wizpak::test
