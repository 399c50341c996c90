// Choosing and holding the active front-end, and the run options that come
// with it (--ui, --unattended).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "gui/widgets.h"

namespace wizpak::gui {

struct FrontEndOptions {
  // "" picks automatically: win32 in the Windows build; elsewhere fltk when a
  // display is configured and the fltk backend is linked in, else headless.
  std::string ui;
  // Next on every page; message boxes take their default answers.
  bool unattended = false;
};

// A backend that is not always linked in (fltk) registers its factory here;
// the setup program calls wizpak::gui::fltk::RegisterFltkToolkit() from
// "gui/fltk/register.h" when that header exists. The factory returns null
// when the toolkit cannot start, with `why` saying what is missing ("cannot
// open display :5", "libXft.so.2: cannot open shared object file ...").
using ToolkitFactory =
    std::function<std::unique_ptr<Toolkit>(const FrontEndOptions&, std::string& why)>;
void RegisterToolkit(std::string name, ToolkitFactory factory);
bool ToolkitRegistered(std::string_view name);

// Creates the front-end that `options` asks for. On failure returns null and
// sets `error` to a one-line message ("no display: use --unattended ...").
// When the automatic choice falls back from the graphical front-end to the
// terminal wizard, the toolkit is returned and `error` is the one line that
// says why the graphical one could not start; the caller shows it.
std::unique_ptr<Toolkit> CreateToolkit(const FrontEndOptions& options, std::string& error);

// The toolkit in use; start-up sets it once. Null before.
Toolkit* ActiveToolkit();
void SetActiveToolkit(Toolkit* toolkit);

}  // namespace wizpak::gui
