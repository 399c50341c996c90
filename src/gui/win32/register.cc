#include "gui/win32/register.h"

#include <memory>

#include "gui/frontend.h"
#include "gui/win32/toolkit.h"

namespace wizpak::gui::win32 {

void RegisterWin32Toolkit() {
  RegisterToolkit("win32",
                  [](const FrontEndOptions& options, std::string&) -> std::unique_ptr<Toolkit> {
                    return std::make_unique<Win32Toolkit>(options);
                  });
}

}  // namespace wizpak::gui::win32
