// The uninstaller operations as the program runs them, on its program-wide
// objects: the running package (named by start-up), the setup record, the
// install log, the language table and the status controls.
#pragma once

#include <optional>
#include <string>

#include "uninstall/uninstaller.h"

namespace wizpak {

class TPak;

// Start-up names the package it runs from, open for the whole run, and the
// file it was opened from. `from_command_line`: that file was named on the
// command line and is not the running executable. Not owned; null forgets it.
void SetRunningPackage(TPak* running, std::string package_path, bool from_command_line);

// The executable part of the uninstaller. Normally the package's file (the
// running executable) up to the first entry of its package. When the package came from the command
// line its offsets say nothing about the running program, so the image is
// the running executable up to the start of its own package, or the whole
// file when it carries none. nullopt when the file cannot be read.
std::optional<ExecutableImage> RunningExecutableImage(const TPak& running,
                                                      const std::string& package_path,
                                                      bool from_command_line);

// BuildUninstallerFrom on the running package and the setup record (a copy
// with IsUninstaller = 1 is stored). Registers even without a package.
UninstallerBuildResult BuildUninstaller();

// The registration of the setup record's ShortName.
void RemoveUninstallRegistration();

// StartFinaliserFrom the running package with the running executable's path.
bool StartFinaliser();

// The uninstall page's walk over TUninstallList::Instance(), with the current
// language's strings and the record's InstallDir, UninstallPrefix, ShortName.
UninstallWalkSummary RunUninstallWalk(const UninstallWalkView& view = ActiveControlsView());

}  // namespace wizpak
