// Picture decoding: BMP files of every depth and orientation, icon files with
// bitmap and PNG images, PNG and JPEG, each written by the test's own writers
// and compared pixel by pixel; damaged and oversized files give nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/pictures/picture_decode.h"
#include "picture_files.h"

namespace wizpak::test {
namespace {

using gui::DecodeBmp;
using gui::DecodeIco;
using gui::DecodeJpeg;
using gui::DecodePicture;
using gui::DecodePng;

// Reads 0xAARRGGBB; fully opaque unless the picture says otherwise.
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                   kBlack = 0xFF000000, kGrey = 0xFF808080;
const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                        0xFFFFFF, 0x808080, 0xFFFF00, 0x00FFFF};

// A picture whose pixels differ by row and column, so a flipped or shifted
// row shows: colours taken from the first `colours` palette entries.
RgbaImage Pattern(int width, int height, size_t colours) {
  return MakePicture(width, height, [&](int x, int y) {
    return 0xFF000000 |
           kPalette[(size_t(x) * 3 + size_t(y * (y + 1) / 2) + size_t(x * y)) % colours];
  });
}

void ExpectSamePixels(const std::optional<RgbaImage>& got, const RgbaImage& want,
                      int tolerance = 0) {
  ASSERT_TRUE(got.has_value());
  ASSERT_EQ(got->width, want.width);
  ASSERT_EQ(got->height, want.height);
  ASSERT_EQ(got->pixels.size(), want.pixels.size());
  for (int y = 0; y < want.height; ++y) {
    for (int x = 0; x < want.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        const size_t i = (size_t(y) * want.width + x) * 4 + c;
        ASSERT_LE(std::abs(int(got->pixels[i]) - int(want.pixels[i])), tolerance)
            << "pixel " << x << "," << y << " channel " << c;
      }
    }
  }
}

struct DepthCase {
  int bits;
  bool top_down;
  int width;  // odd widths need row padding at every depth
};

class BmpDepths : public testing::TestWithParam<DepthCase> {};

TEST_P(BmpDepths, DecodesEveryPixelInPlace) {
  const DepthCase c = GetParam();
  BmpOptions options;
  options.bits = c.bits;
  options.top_down = c.top_down;
  size_t colours = kPalette.size();
  if (c.bits <= 8) {
    colours = std::min<size_t>(kPalette.size(), size_t{1} << c.bits);
    options.palette.assign(kPalette.begin(), kPalette.begin() + long(colours));
  }
  const RgbaImage picture = Pattern(c.width, 7, colours);
  ExpectSamePixels(DecodeBmp(WriteBmp(picture, options)), picture);
}

INSTANTIATE_TEST_SUITE_P(Bmp, BmpDepths,
                         testing::Values(DepthCase{1, false, 13}, DepthCase{1, true, 33},
                                         DepthCase{4, false, 5}, DepthCase{4, true, 9},
                                         DepthCase{8, false, 3}, DepthCase{8, true, 6},
                                         DepthCase{24, false, 5}, DepthCase{24, true, 2},
                                         DepthCase{32, false, 3}, DepthCase{32, true, 4}));

TEST(Bmp, PlainThirtyTwoBitsIgnoreTheFourthByte) {
  // Plain 32-bit rows often carry zeros in the fourth byte: still opaque, and
  // so is a half-transparent byte.
  const RgbaImage picture = MakePicture(4, 2, [](int x, int) { return x % 2 ? kRed : kBlue; });
  BmpOptions options;
  options.bits = 32;
  options.masks[3] = 0xFF000000;
  const RgbaImage half =
      MakePicture(4, 2, [](int x, int) { return (x % 2 ? kRed : kBlue) & 0x80FFFFFF; });
  ExpectSamePixels(DecodeBmp(WriteBmp(half, options)), picture);
}

TEST(Bmp, BitFieldsInEachHeaderLength) {
  // 32-bit with an alpha mask in a 124-byte header keeps alpha; masks that
  // follow a plain 40-byte header work the same; 5-6-5 and 5-5-5 pixels scale
  // to full 8-bit values.
  const RgbaImage translucent = MakePicture(3, 3, [](int x, int y) {
    return (uint32_t(0x40 * (x + 1)) << 24) | (y == 0 ? 0xFF0000 : y == 1 ? 0x00FF00 : 0x0000FF);
  });
  BmpOptions v5;
  v5.bits = 32;
  v5.compression = 3;
  v5.header_size = 124;
  v5.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};  // an unusual order
  ExpectSamePixels(DecodeBmp(WriteBmp(translucent, v5)), translucent);

  const RgbaImage colours = MakePicture(5, 2, [](int x, int y) {
    const uint32_t all[] = {kRed, kGreen, kBlue, kWhite, kBlack};
    return all[(x + y) % 5];
  });
  BmpOptions r565;
  r565.bits = 16;
  r565.compression = 3;
  r565.masks = {0xF800, 0x07E0, 0x001F, 0};
  ExpectSamePixels(DecodeBmp(WriteBmp(colours, r565)), colours);
  r565.header_size = 108;
  ExpectSamePixels(DecodeBmp(WriteBmp(colours, r565)), colours);
  BmpOptions r555;
  r555.bits = 16;
  ExpectSamePixels(DecodeBmp(WriteBmp(colours, r555)), colours);
}

TEST(Bmp, AlphaMaskThatIsZeroEverywhereMeansOpaque) {
  const RgbaImage clear = MakePicture(2, 2, [](int, int) { return 0x00FF0000u; });
  BmpOptions options;
  options.bits = 32;
  options.compression = 3;
  options.header_size = 124;
  options.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  const auto image = DecodeBmp(WriteBmp(clear, options));
  ASSERT_TRUE(image);
  EXPECT_EQ(PixelOf(*image, 1, 1), kRed);
}

TEST(Bmp, ShortPaletteAndIndexesBeyondIt) {
  // Two stored colours in an 8-bit file: index 2 names no colour and is black.
  const RgbaImage picture = MakePicture(3, 1, [](int x, int) {
    return x == 0 ? kWhite : x == 1 ? kGreen : kBlack;
  });
  BmpOptions options;
  options.bits = 8;
  options.palette = {0xFFFFFF, 0x00FF00, 0x000000};
  std::string file = WriteBmp(picture, options);
  // Say two colours, keep the rows where they are.
  file[14 + 32] = 2;
  const auto image = DecodeBmp(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(PixelOf(*image, 0, 0), kWhite);
  EXPECT_EQ(PixelOf(*image, 1, 0), kGreen);
  EXPECT_EQ(PixelOf(*image, 2, 0), kBlack);
}

TEST(Bmp, RefusesCompressedDamagedAndOversizedFiles) {
  const RgbaImage picture = Pattern(6, 4, 4);
  BmpOptions options;
  options.bits = 8;
  options.palette.assign(kPalette.begin(), kPalette.begin() + 4);
  const std::string good = WriteBmp(picture, options);
  ASSERT_TRUE(DecodeBmp(good));

  for (uint32_t compression : {1u, 2u, 4u, 5u, 99u}) {  // RLE8, RLE4, JPEG, PNG, unknown
    BmpOptions packed = options;
    packed.compression = compression;
    EXPECT_FALSE(DecodeBmp(WriteBmp(picture, packed))) << compression;
  }
  BmpOptions fields24;  // bit fields only go with 16 and 32 bits
  fields24.compression = 3;
  EXPECT_FALSE(DecodeBmp(WriteBmp(picture, fields24)));

  for (size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(DecodeBmp(good.substr(0, size))) << "cut at " << size;
  }

  auto patched = [&](size_t at, uint32_t value) {
    std::string file = good;
    for (int i = 0; i < 4; ++i) file[at + i] = char(value >> (8 * i));
    return file;
  };
  EXPECT_FALSE(DecodeBmp(patched(14, 64)));               // header size not known
  EXPECT_FALSE(DecodeBmp(patched(18, 0)));                // no width
  EXPECT_FALSE(DecodeBmp(patched(22, 0)));                // no height
  EXPECT_FALSE(DecodeBmp(patched(18, 0x80000000)));       // negative width
  EXPECT_FALSE(DecodeBmp(patched(22, 0x80000000)));       // the most negative height
  EXPECT_FALSE(DecodeBmp(patched(10, 0xFFFFFFF0)));       // rows beyond the end
  EXPECT_FALSE(DecodeBmp(patched(14 + 32, 0xFFFFFFFF)));  // palette beyond the end
  EXPECT_FALSE(DecodeBmp("BA" + good.substr(2)));

  // A header that claims 20000 x 20000 is refused before anything is
  // allocated, even with the rows there for 16384 x 16384.
  BmpOptions one_bit;
  one_bit.bits = 1;
  one_bit.palette = {0, 0xFFFFFF};
  const std::string small = WriteBmp(MakePicture(8, 1, [](int, int) { return kBlack; }), one_bit);
  std::string huge = small;
  for (int i = 0; i < 4; ++i) huge[18 + i] = char(20000u >> (8 * i));
  huge.resize(huge.size() + 20000 / 8 * 20000, '\0');
  EXPECT_FALSE(DecodeBmp(huge));
}

TEST(Ico, ChoosesTheLargestImageAndHonoursTransparency) {
  // 16 x 16 at 8 bits with an AND mask, then 32 x 32 at 32 bits with alpha:
  // the larger one wins although it is listed second.
  const RgbaImage small = MakePicture(16, 16, [](int x, int) { return x < 8 ? kRed : 0u; });
  BmpOptions palette_icon;
  palette_icon.icon = true;
  palette_icon.bits = 8;
  palette_icon.palette = {0x000000, 0xFF0000};
  const RgbaImage large = MakePicture(32, 32, [](int x, int y) {
    return (uint32_t(x * 8) << 24) | (y < 16 ? 0x0000FF : 0x00FF00);
  });
  BmpOptions alpha_icon;
  alpha_icon.icon = true;
  alpha_icon.bits = 32;
  alpha_icon.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};

  const std::string small_dib = WriteBmp(small, palette_icon);
  const std::string ico = WriteIco({{16, 16, small_dib}, {32, 32, WriteBmp(large, alpha_icon)}});
  ExpectSamePixels(DecodeIco(ico), large);
  ExpectSamePixels(DecodePicture(ico, "ICO"), large);

  // Alone, the small one shows its mask: the right half is transparent.
  const auto alone = DecodeIco(WriteIco({{16, 16, small_dib}}));
  ASSERT_TRUE(alone);
  EXPECT_EQ(PixelOf(*alone, 0, 0), kRed);
  EXPECT_EQ(PixelOf(*alone, 15, 15) >> 24, 0u);

  // A 32-bit image without alpha uses its mask instead.
  BmpOptions flat = alpha_icon;
  flat.masks[3] = 0;
  const RgbaImage masked = MakePicture(4, 4, [](int x, int) { return x == 0 ? 0u : kGreen; });
  ExpectSamePixels(DecodeIco(WriteIco({{4, 4, WriteBmp(masked, flat)}})), masked);
}

TEST(Ico, PngImagesAndBrokenEntries) {
  const RgbaImage big = MakePicture(48, 40, [](int x, int y) {
    return (uint32_t(255 - x) << 24) | uint32_t(x * 5) << 16 | uint32_t(y * 6) << 8 | 0x33;
  });
  BmpOptions icon;
  icon.icon = true;
  const RgbaImage small = Pattern(16, 16, 8);
  const std::string dib = WriteBmp(small, icon);
  ExpectSamePixels(DecodeIco(WriteIco({{16, 16, dib}, {48, 40, WritePng(big)}})), big);

  // The large entry points past the end of the file: the small one shows.
  std::string broken = WriteIco({{16, 16, dib}, {0, 0, WritePng(big)}});
  broken.resize(broken.size() - 10);
  ExpectSamePixels(DecodeIco(broken), small);
  // A damaged PNG entry falls back the same way.
  std::string bad_png = WritePng(big);
  bad_png[40] ^= 0x55;
  ExpectSamePixels(DecodeIco(WriteIco({{16, 16, dib}, {48, 40, bad_png}})), small);

  EXPECT_FALSE(DecodeIco(""));
  EXPECT_FALSE(DecodeIco(std::string("\0\0\1\0\0\0", 6)));  // no images
  EXPECT_FALSE(DecodeIco(std::string("\0\0\3\0\1\0", 6)));  // neither icon nor cursor
  // A file cut anywhere loses its only image; an image whose AND mask is
  // cut off shows opaque.
  const std::string good = WriteIco({{16, 16, dib}});
  for (size_t size = 0; size < good.size(); ++size) EXPECT_FALSE(DecodeIco(good.substr(0, size)));
  const auto unmasked = DecodeIco(WriteIco({{16, 16, dib.substr(0, 40 + 16 * 16 * 3 + 4)}}));
  ASSERT_TRUE(unmasked);
  EXPECT_EQ(PixelOf(*unmasked, 0, 0), PixelOf(small, 0, 0));
}

TEST(Png, DecodesAndRefusesDamage) {
  const RgbaImage picture = MakePicture(20, 9, [](int x, int y) {
    return (uint32_t(x * 12) << 24) | uint32_t(y * 28) << 16 | uint32_t(x * 9) << 8 | 0x80;
  });
  const std::string png = WritePng(picture);
  ExpectSamePixels(DecodePng(png), picture);
  ExpectSamePixels(DecodePicture(png, "png"), picture);
  EXPECT_FALSE(DecodePng(png.substr(0, png.size() / 2)));
  EXPECT_FALSE(DecodePng("not a png"));
}

TEST(Jpeg, DecodesColourGreyAndInvertedCmykWithinTolerance) {
  // Smooth gradients survive quality 95 within a few steps.
  const RgbaImage gradient = MakePicture(64, 48, [](int x, int y) {
    return 0xFF000000 | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t(128 + x - y);
  });
  ExpectSamePixels(DecodeJpeg(WriteJpeg(gradient, 95)), gradient, 12);
  ExpectSamePixels(DecodePicture(WriteJpeg(gradient, 95, JpegKind::kColour, true), "JPeG"),
                   gradient, 12);

  const RgbaImage grey =
      MakePicture(16, 16, [](int x, int) { return 0xFF000000 | 0x010101u * uint32_t(x * 16); });
  ExpectSamePixels(DecodePicture(WriteJpeg(grey, 95, JpegKind::kGrey), "jpg"), grey, 8);

  const RgbaImage halves = MakePicture(16, 16, [](int x, int) { return x < 8 ? kRed : kGrey; });
  ExpectSamePixels(DecodeJpeg(WriteJpeg(halves, 100, JpegKind::kCmykInverted)), halves, 24);
}

TEST(Jpeg, DamagedAndOversizedFilesGiveNothingAndNeverExit) {
  const std::string jpeg = WriteJpeg(Pattern(16, 16, 8), 80);
  EXPECT_FALSE(DecodeJpeg(""));
  EXPECT_FALSE(DecodeJpeg("this is no JPEG at all"));
  EXPECT_FALSE(DecodeJpeg(jpeg.substr(0, 20)));  // ends inside the header
  // Cut in the middle of the data, libjpeg fills the rest: a picture or
  // nothing, but the process goes on.
  for (size_t size = 0; size < jpeg.size(); size += 13) DecodeJpeg(jpeg.substr(0, size));

  // The frame header (FFC0) holds height and width: claim 60000 x 60000.
  std::string huge = jpeg;
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  for (size_t at : {sof + 5, sof + 7}) {
    huge[at] = char(0xEA);
    huge[at + 1] = char(0x60);
  }
  EXPECT_FALSE(DecodeJpeg(huge));
}

TEST(DecodePicture, ChoosesByExtensionOnly) {
  const RgbaImage picture = Pattern(3, 3, 8);
  const std::string bmp = WriteBmp(picture, BmpOptions{});
  ExpectSamePixels(DecodePicture(bmp, "BMP"), picture);
  ExpectSamePixels(DecodePicture(bmp, ".bmp"), picture);
  EXPECT_FALSE(DecodePicture(bmp, "jpg"));
  EXPECT_FALSE(DecodePicture(bmp, "gif"));
  EXPECT_FALSE(DecodePicture(bmp, ""));

  testing::internal::CaptureStderr();
  EXPECT_FALSE(DecodePicture("\xD7\xCD\xC6\x9A", "WMF"));
  EXPECT_FALSE(DecodePicture("", "emf"));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("wmf pictures are not supported: "), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

}  // namespace
}  // namespace wizpak::test
