// Test helpers for the FLTK front-end: opening the display (tests skip
// without one), reading a window's pixels back and saving them as PNG
// artefacts under the build folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gui/pictures/picture_decode.h"

class Fl_Window;

namespace wizpak::test {

// Skips the calling test when no display can be opened.
#define WIZPAK_NEED_DISPLAY()                                           \
  do {                                                                  \
    if (!::wizpak::test::DisplayOpen()) GTEST_SKIP() << "no X display"; \
  } while (0)

bool DisplayOpen();

// Returns once the windows have mapped and painted (a state, not a time).
void Settle();

// The window's client area as drawn on the screen.
gui::RgbaImage Grab(Fl_Window& window);

// Writes `image` to <build>/gui-screens/<name>.png; returns the path.
std::string SaveArtefact(const gui::RgbaImage& image, const std::string& name);

// 0x00RRGGBB at (x, y).
uint32_t RgbAt(const gui::RgbaImage& image, int x, int y);

}  // namespace wizpak::test
