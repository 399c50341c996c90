// The images of a Windows icon file as PNG files, one per square size, for
// desktops that take application icons as PNGs in size folders (the
// freedesktop hicolor theme). PNG images of the icon are kept as they are;
// bitmap images are decoded and written with libpng. The Windows build has
// no use for them (its shell reads the icon itself) and gives none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak::gui {

struct SizedPng {
  int size = 0;     // width and height in pixels
  std::string png;  // a whole PNG file
};

// One PNG per size, largest first; of two images of one size the deeper
// colours win. Images that are not square or do not decode are left out;
// bad bytes give an empty list.
std::vector<SizedPng> IconAsPngs(std::string_view ico);

}  // namespace wizpak::gui
