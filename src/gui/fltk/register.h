// Makes the FLTK front-end available to the front-end choice (gui/frontend.h).
#pragma once

namespace wizpak::gui::fltk {

// Registers the "fltk" toolkit factory. The factory opens the display on
// first use and gives null when there is none.
void RegisterFltkToolkit();

}  // namespace wizpak::gui::fltk
