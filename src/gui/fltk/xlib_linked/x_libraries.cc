// The X libraries linked into the program: nothing to load.
#include "gui/fltk/x_libraries.h"

namespace wizpak::gui::fltk {

bool LoadXLibraries(std::string& error) {
  error.clear();
  return true;
}

}  // namespace wizpak::gui::fltk
