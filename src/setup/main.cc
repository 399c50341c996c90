// wizpak-stub: the setup runtime. A built setup is this program with a
// package appended; see setup/startup.h.
#include <string>
#include <vector>

#include "platform/process.h"
#include "setup/startup.h"

// Parts that connect themselves when they are part of the build: the
// graphical front-end.
#if defined(_WIN32) && __has_include("gui/win32/register.h")
#include "gui/win32/register.h"
#define WIZPAK_HAS_WIN32_GUI 1
#endif
#if __has_include("gui/fltk/register.h") && !defined(_WIN32)
#include "gui/fltk/register.h"
#define WIZPAK_HAS_FLTK 1
#endif

int main(int argc, char** argv) {
  wizpak::platform::SetCommandLine(argc, argv);
#ifdef WIZPAK_HAS_FLTK
  wizpak::gui::fltk::RegisterFltkToolkit();
#endif
#ifdef WIZPAK_HAS_WIN32_GUI
  wizpak::gui::win32::RegisterWin32Toolkit();
#endif
  return wizpak::setup::SetupMain(std::vector<std::string>(argv, argv + argc));
}
