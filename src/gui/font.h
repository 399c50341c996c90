// Colours and fonts as the layout language and the toolkit share them.
#pragma once

#include <cstdint>
#include <string>

namespace wizpak::gui {

// A Windows colour reference 0x00BBGGRR: red in the lowest byte. Values with
// the top bit set name system colours (the backend maps them).
using ColourRef = uint32_t;

constexpr ColourRef Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<ColourRef>(red) | (static_cast<ColourRef>(green) << 8) |
         (static_cast<ColourRef>(blue) << 16);
}
constexpr uint8_t RedOf(ColourRef c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GreenOf(ColourRef c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(ColourRef c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}

constexpr ColourRef kBlack = 0x000000;
constexpr ColourRef kWhite = 0xFFFFFF;

struct FontSpec {
  std::string face = "MS Shell Dlg 2";
  int size_points = 8;
  ColourRef colour = kBlack;
  bool bold = false;
  // True until a colour is set explicitly: the control then stops following
  // its parent's font.
  bool parent_font = true;

  bool operator==(const FontSpec&) const = default;
};

}  // namespace wizpak::gui
