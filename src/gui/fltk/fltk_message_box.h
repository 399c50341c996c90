// Modal message boxes drawn with FLTK: the caption as the window title, an
// icon, the text and the buttons right-aligned in the Windows order, the
// first one the default (Enter), Escape giving Cancel / No (OK alone: OK).
#pragma once

#include "gui/message_box.h"

namespace wizpak::gui::fltk {

Answer ShowMessageBox(const MessageBoxRequest& request);

}  // namespace wizpak::gui::fltk
