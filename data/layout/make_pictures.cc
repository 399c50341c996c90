// Makes the pictures of the shipped page sets: the side picture shown by the
// main layout (side.jpg, 164 x 375, through libjpeg) and the setup icon
// (icon.ico, one 32 x 32 32-bit image). Everything is drawn here from
// arithmetic, so the files are the project's own.
//
// Build and run with make_pictures.sh.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint8_t Clamp(double v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

// Deep blue at the top to teal at the bottom, crossed by soft diagonal
// bands and a few rings, like a calm night sky over water.
std::vector<uint8_t> SidePicture(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  const Rgb top{18, 36, 92}, bottom{20, 128, 138};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double t = static_cast<double>(y) / (height - 1);
      Rgb c = Mix(top, bottom, t);
      double band = 0.5 + 0.5 * std::sin((x + y * 0.6) / 23.0);
      c = Mix(c, Rgb{255, 255, 255}, 0.06 * band);
      double dx = x - width * 0.62, dy = y - height * 0.28;
      double ring = std::fabs(std::fmod(std::sqrt(dx * dx + dy * dy), 38.0) - 19.0);
      if (ring < 1.2) c = Mix(c, Rgb{255, 255, 255}, 0.18 * (1.2 - ring));
      size_t i = (static_cast<size_t>(y) * width + x) * 3;
      pixels[i] = Clamp(c.r);
      pixels[i + 1] = Clamp(c.g);
      pixels[i + 2] = Clamp(c.b);
    }
  }
  return pixels;
}

bool WriteJpeg(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 80, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(&pixels[static_cast<size_t>(info.next_scanline) * width * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(out) == 0;
}

void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

// A box with a down arrow: the setup's own mark, on a transparent ground.
std::string Icon() {
  const int n = 32;
  std::string image;
  Put32(image, 40);     // BITMAPINFOHEADER size
  Put32(image, n);      // width
  Put32(image, n * 2);  // height of colour + mask
  Put16(image, 1);      // planes
  Put16(image, 32);     // bits per pixel
  Put32(image, 0);      // no compression
  Put32(image, n * n * 4 + n * 4);
  Put32(image, 0);
  Put32(image, 0);
  Put32(image, 0);
  Put32(image, 0);
  for (int row = n - 1; row >= 0; --row) {  // bottom-up
    for (int x = 0; x < n; ++x) {
      int y = row;
      uint8_t b = 0, g = 0, r = 0, a = 0;
      bool box = x >= 4 && x <= 27 && y >= 12 && y <= 28;
      bool edge = box && (x == 4 || x == 27 || y == 12 || y == 28);
      int mid = 16 - (x >= 16 ? 1 : 0);
      bool arrow_shaft = x >= 13 && x <= 18 && y >= 2 && y <= 14;
      bool arrow_head = y >= 14 && y <= 22 && std::abs(x - mid) <= 22 - y;
      if (box) {
        double t = (y - 12) / 16.0;
        r = Clamp(40 + 30 * t), g = Clamp(110 + 60 * t), b = Clamp(160 + 40 * t), a = 255;
      }
      if (edge) r = 20, g = 50, b = 90, a = 255;
      if (arrow_shaft || arrow_head) r = 250, g = 200, b = 60, a = 255;
      image += static_cast<char>(b);
      image += static_cast<char>(g);
      image += static_cast<char>(r);
      image += static_cast<char>(a);
    }
  }
  image.append(static_cast<size_t>(n) * 4, '\0');  // AND mask: alpha decides
  std::string file;
  Put16(file, 0);
  Put16(file, 1);  // icon
  Put16(file, 1);  // one image
  file += static_cast<char>(n);
  file += static_cast<char>(n);
  file += '\0';  // no palette
  file += '\0';
  Put16(file, 1);
  Put16(file, 32);
  Put32(file, static_cast<uint32_t>(image.size()));
  Put32(file, 6 + 16);
  return file + image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures FOLDER (data/layout)\n");
    return 2;
  }
  const std::string root = argv[1];
  const int w = 164, h = 375;
  std::vector<uint8_t> side = SidePicture(w, h);
  for (const char* set : {"default", "uninstall"}) {
    if (!WriteJpeg(root + "/" + set + "/side.jpg", side, w, h)) {
      std::fprintf(stderr, "cannot write %s/%s/side.jpg\n", root.c_str(), set);
      return 1;
    }
  }
  std::string icon = Icon();
  FILE* out = std::fopen((root + "/default/icon.ico").c_str(), "wb");
  if (!out || std::fwrite(icon.data(), 1, icon.size(), out) != icon.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "cannot write the icon\n");
    return 1;
  }
  return 0;
}
