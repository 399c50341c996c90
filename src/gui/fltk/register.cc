#include "gui/fltk/register.h"

#include "gui/fltk/fltk_toolkit.h"
#include "gui/frontend.h"

namespace wizpak::gui::fltk {

void RegisterFltkToolkit() {
  RegisterToolkit("fltk",
                  [](const FrontEndOptions& options, std::string& why) -> std::unique_ptr<Toolkit> {
                    if (!OpenDisplay(why)) return nullptr;
                    return std::make_unique<FltkToolkit>(options);
                  });
}

}  // namespace wizpak::gui::fltk
