// Choosing and holding the active front-end, and the run options that come
// with it (--ui, --unattended). The choice itself is a plain function of
// the facts it looks at (ChooseFrontEnd), so the start-up that loads a
// graphical front-end lazily can ask it again when that fails
// (FallBackFrontEnd).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "gui/widgets.h"

namespace wizpak::gui {

struct FrontEndOptions {
  // "" picks automatically (ChooseFrontEnd).
  std::string ui;
  // Next on every page; message boxes take their default answers.
  bool unattended = false;
};

// What the automatic choice looks at.
struct FrontEndFacts {
  std::string ui;           // --ui=NAME, or ""
  bool unattended = false;  // --unattended
  bool display = false;     // DISPLAY or WAYLAND_DISPLAY is set
  bool terminal = false;    // standard input and output are terminals
  std::string graphical;    // the graphical front-end built in ("fltk", "win32") or ""
  bool text = false;        // the terminal wizard is built in
};

struct FrontEndChoice {
  std::string ui;     // "headless", "text", "fltk", "win32", ...; "" when none fits
  std::string error;  // one line saying why, when `ui` is ""
};

// --ui wins; --unattended runs headless; the Windows front-end always has its
// desktop; elsewhere the graphical front-end when a display is set, else the
// terminal wizard on a terminal, else none (the error suggests --unattended).
FrontEndChoice ChooseFrontEnd(const FrontEndFacts& facts);

// The choice after the graphical front-end could not start (`why` names
// what is missing, e.g. "libXft.so.2 not found"): the terminal wizard on a
// terminal, else none, with `why` in the error.
FrontEndChoice FallBackFrontEnd(const FrontEndFacts& facts, std::string_view why);

// The facts of this process for `options`.
FrontEndFacts CurrentFrontEndFacts(const FrontEndOptions& options);

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
// When the automatically chosen graphical front-end cannot start and the
// terminal wizard takes over, `notice` (if given) says so in one line, with
// the reason the graphical one could not start.
std::unique_ptr<Toolkit> CreateToolkit(const FrontEndOptions& options, std::string& error,
                                       std::string* notice = nullptr);

// The toolkit in use; start-up sets it once. Null before.
Toolkit* ActiveToolkit();
void SetActiveToolkit(Toolkit* toolkit);

}  // namespace wizpak::gui
