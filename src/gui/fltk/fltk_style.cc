#include "gui/fltk/fltk_style.h"

#include <FL/Fl.H>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "platform/codepage.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {
namespace {

// FLTK font slots this backend fills (past FLTK's own 16).
constexpr Fl_Font kSans = FL_FREE_FONT;
constexpr Fl_Font kMono = FL_FREE_FONT + 4;
constexpr Fl_Font kSerif = FL_FREE_FONT + 8;

enum class Family { Sans, Mono, Serif };

struct FaceEntry {
  const char* face;  // lower case
  Family family;
};

// Windows faces a setup names and the installed family that looks closest.
// Anything not listed is drawn in the sans family.
constexpr FaceEntry kFaces[] = {
    {"ms shell dlg 2", Family::Sans},   {"ms shell dlg", Family::Sans},
    {"ms sans serif", Family::Sans},    {"tahoma", Family::Sans},
    {"verdana", Family::Sans},          {"arial", Family::Sans},
    {"segoe ui", Family::Sans},         {"microsoft sans serif", Family::Sans},
    {"courier new", Family::Mono},      {"courier", Family::Mono},
    {"lucida console", Family::Mono},   {"consolas", Family::Mono},
    {"times new roman", Family::Serif}, {"times", Family::Serif},
    {"georgia", Family::Serif},
};

Family FamilyOf(std::string_view face) {
  const std::string lower = AsciiLower(face);
  for (const FaceEntry& entry : kFaces) {
    if (lower == entry.face) return entry.family;
  }
  return Family::Sans;
}

void RegisterFamily(Fl_Font first, const char* name) {
  // FLTK reads the first letter as the style: ' ' plain, 'B' bold,
  // 'I' italic, 'P' bold italic.
  static std::string names[12];
  static int used = 0;
  const char prefixes[] = {' ', 'B', 'I', 'P'};
  for (int i = 0; i < 4; ++i) {
    std::string& slot = names[used++ % 12];
    slot = std::string(1, prefixes[i]) + name;
    Fl::set_font(first + i, slot.c_str());
  }
}

struct SystemColour {
  uint32_t index;
  ColourRef colour;
};

// The Windows 7 standard scheme for the system colours setups use.
constexpr SystemColour kSystemColours[] = {
    {0, 0xC8C8C8},   // scroll bar
    {1, 0x000000},   // background
    {4, 0xF0F0F0},   // menu
    {5, 0xFFFFFF},   // window
    {6, 0x646464},   // window frame
    {7, 0x000000},   // menu text
    {8, 0x000000},   // window text
    {13, 0xFF9933},  // highlight (0x3399FF as red-green-blue)
    {14, 0xFFFFFF},  // highlight text
    {15, 0xF0F0F0},  // button face
    {16, 0xA0A0A0},  // button shadow
    {17, 0x6D6D6D},  // grey text
    {18, 0x000000},  // button text
    {20, 0xFFFFFF},  // button highlight
};

// Whether fontconfig knows a family of exactly this name.
bool FamilyInstalled(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  const bool found = fonts && fonts->nfont > 0;
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

}  // namespace

void RegisterFonts() {
  // Liberation Sans has Arial's metrics and comes closest to the narrow
  // dialog faces; DejaVu Sans, wider, is there on every desktop.
  RegisterFamily(kSans, FamilyInstalled("Liberation Sans") ? "Liberation Sans" : "DejaVu Sans");
  RegisterFamily(kMono, "DejaVu Sans Mono");
  RegisterFamily(kSerif, "DejaVu Serif");
}

Fl_Font FontFor(std::string_view face, bool bold, bool italic) {
  Fl_Font base = kSans;
  switch (FamilyOf(face)) {
    case Family::Sans:
      base = kSans;
      break;
    case Family::Mono:
      base = kMono;
      break;
    case Family::Serif:
      base = kSerif;
      break;
  }
  return base + (bold ? 1 : 0) + (italic ? 2 : 0);
}

int PixelSize(int size_points) {
  if (size_points < 0) return -size_points;
  const int pixels = static_cast<int>(std::lround(size_points * 96.0 / 72.0));
  return pixels < 1 ? 1 : pixels;
}

ColourRef ResolveColour(ColourRef colour) {
  if ((colour & 0x80000000u) == 0) return colour & 0xFFFFFF;
  const uint32_t index = colour & 0xFF;
  for (const SystemColour& entry : kSystemColours) {
    if (entry.index == index) return entry.colour;
  }
  return 0xF0F0F0;
}

Fl_Color ToFlColour(ColourRef colour) {
  const ColourRef rgb = ResolveColour(colour);
  return fl_rgb_color(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

std::string DisplayText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      out += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::string DisplayText(std::u16string_view text) {
  return DisplayText(WideToUtf8(text));
}

std::string CaptionText(std::u16string_view text) {
  std::string out;
  for (char c : DisplayText(text)) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

}  // namespace wizpak::gui::fltk
