// Windows: the shell reads icons from the program and its links itself.
#include "gui/icon_pngs.h"

namespace wizpak::gui {

std::vector<SizedPng> IconAsPngs(std::string_view /*ico*/) {
  return {};
}

}  // namespace wizpak::gui
