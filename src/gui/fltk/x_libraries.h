// The X libraries under the FLTK front-end. A shipped setup does not name
// them among the libraries it needs, so it starts on a machine without X;
// they are opened when the FLTK front-end is about to be used (see
// xlib_lazy/). Test programs and sanitizer builds link them the usual way
// (xlib_linked/), where loading has nothing left to do.
#pragma once

#include <string>

namespace wizpak::gui::fltk {

// Makes the X libraries usable. True when they are (or were already); else
// false with `error` naming what is missing, e.g. "libXft.so.2: cannot open
// shared object file: No such file or directory". Call before any FLTK or
// Xlib function; failing leaves FLTK unusable but the program unharmed.
bool LoadXLibraries(std::string& error);

}  // namespace wizpak::gui::fltk
