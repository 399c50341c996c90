#include "screen.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include "gui/fltk/fltk_undef_x.h"

#include <filesystem>
#include <memory>

#include "gui/fltk/fltk_toolkit.h"
#include "picture_files.h"
#include "support/test_support.h"

namespace wizpak::test {

bool DisplayOpen() {
  std::string why;
  return gui::fltk::OpenDisplay(why);
}

// Settled is a state, not a time: FLTK has handled every event the server
// sent and has nothing left to draw, and the server has carried out every
// request (XSync), so what is read back is what was drawn. Each round
// handles what the previous one caused (a map brings an expose, the
// expose a redraw); the round limit only guards against a window that
// never stops asking to be drawn.
void Settle() {
  for (int round = 0; round < 1000; ++round) {
    Fl::check();
    Fl::flush();
    XSync(fl_display, False);
    if (!Fl::damage() && XPending(fl_display) == 0) return;
  }
}

gui::RgbaImage Grab(Fl_Window& window) {
  Settle();
  window.make_current();
  const int w = window.w();
  const int h = window.h();
  std::unique_ptr<uchar[]> rgb(fl_read_image(nullptr, 0, 0, w, h));
  gui::RgbaImage image{w, h, std::vector<uint8_t>(size_t(w) * h * 4, 255)};
  if (!rgb) return image;
  for (size_t i = 0; i < size_t(w) * h; ++i) {
    image.pixels[i * 4] = rgb[i * 3];
    image.pixels[i * 4 + 1] = rgb[i * 3 + 1];
    image.pixels[i * 4 + 2] = rgb[i * 3 + 2];
  }
  return image;
}

std::string SaveArtefact(const gui::RgbaImage& image, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(BuildDir()) / "gui-screens";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / (name + ".png")).string();
  WriteHostFile(path, WritePng(image));
  return path;
}

uint32_t RgbAt(const gui::RgbaImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
  return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

}  // namespace wizpak::test
