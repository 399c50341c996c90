// Fuzz target: the picture decoders. The first byte chooses the format, the
// rest is the file.
#include "fuzz_target.h"
#include "gui/pictures/picture_decode.h"
#include "picture_files.h"

namespace {

constexpr const char* kFormats[] = {"jpg", "bmp", "ico", "png"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto image = wizpak::gui::DecodePicture(file, kFormats[data[0] % 4]);
  if (image && image->pixels.size() != size_t(image->width) * image->height * 4) __builtin_trap();
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  using namespace wizpak::test;
  const auto pattern = [](int width, int height) {
    return MakePicture(width, height, [](int x, int y) {
      return uint32_t(0x11 * x) << 24 | uint32_t(x * 40) << 16 | uint32_t(y * 50) << 8 | 0x40;
    });
  };
  const RgbaImage picture = pattern(5, 4);
  const RgbaImage two =
      MakePicture(9, 3, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
  std::vector<std::string> seeds;
  auto add = [&](int format, const std::string& file) {
    seeds.push_back(std::string(1, char(format)) + file);
  };
  add(0, WriteJpeg(pattern(16, 8), 75));
  add(0, WriteJpeg(pattern(16, 8), 75, JpegKind::kGrey, true));
  add(0, WriteJpeg(two, 90, JpegKind::kCmykInverted));
  add(1, WriteBmp(picture, BmpOptions{}));
  BmpOptions options;
  options.bits = 1;
  options.palette = {0, 0xFFFFFF};
  add(1, WriteBmp(two, options));
  options.bits = 4;
  options.top_down = true;
  add(1, WriteBmp(two, options));
  options.bits = 8;
  add(1, WriteBmp(two, options));
  BmpOptions fields;
  fields.bits = 32;
  fields.compression = 3;
  fields.header_size = 124;
  fields.masks[3] = 0xFF000000;
  add(1, WriteBmp(picture, fields));
  fields.bits = 16;
  fields.header_size = 40;
  fields.masks = {0xF800, 0x07E0, 0x001F, 0};
  add(1, WriteBmp(picture, fields));
  BmpOptions icon;
  icon.icon = true;
  icon.bits = 32;
  icon.masks[3] = 0xFF000000;
  BmpOptions mono_icon = options;
  mono_icon.icon = true;
  add(2, WriteIco({{5, 4, WriteBmp(picture, icon)},
                   {9, 3, WriteBmp(two, mono_icon)},
                   {6, 6, WritePng(pattern(6, 6))}}));
  add(3, WritePng(picture));
  return seeds;
}
