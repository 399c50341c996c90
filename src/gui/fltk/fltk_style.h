// How the layout's fonts, colours and texts become FLTK ones: the one face
// table that maps Windows faces onto installed families, points to pixels
// at 96 dpi, colour references (system colours included) to Fl_Color, and
// UTF-16 captions to the UTF-8 FLTK draws.
#pragma once

#include <FL/Enumerations.H>

#include <string>
#include <string_view>

#include "gui/font.h"

namespace wizpak::gui::fltk {

// Registers the families the face table uses. Call once the display is open.
void RegisterFonts();

// The FLTK font for `face` (matched without regard to letter case) with the
// style asked for. Unknown faces get the sans family.
Fl_Font FontFor(std::string_view face, bool bold, bool italic = false);
// Points at 96 dpi, rounded; at least 1. A negative size is a pixel height
// (as Windows font heights are).
int PixelSize(int size_points);

// A colour reference 0x00BBGGRR; values with the top bit set are system
// colours (button face, window, window text, highlight ...).
Fl_Color ToFlColour(ColourRef colour);
ColourRef ResolveColour(ColourRef colour);

// UTF-8 for FLTK: "\r\n" and "\r" become "\n".
std::string DisplayText(std::u16string_view text);
std::string DisplayText(std::string_view utf8);

// A caption for a label-drawing FLTK widget: as DisplayText, with '@'
// doubled so FLTK does not read it as a symbol.
std::string CaptionText(std::u16string_view text);

}  // namespace wizpak::gui::fltk
