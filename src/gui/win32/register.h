// Registers the Win32 front-end under the name "win32". The Windows build of
// the setup program calls this before start-up; it is then the default
// front-end there (--ui=headless and --unattended still pick headless).
#pragma once

namespace wizpak::gui::win32 {

void RegisterWin32Toolkit();

}  // namespace wizpak::gui::win32
