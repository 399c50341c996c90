// The services of other units that script commands use, gathered in one
// place: path variables, language strings, status texts, the install log,
// package extraction, the registry condition helpers, shell links, the
// uninstaller and the error report. Each is a thin call into its owner unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace wizpak {
class SetupRun;
}

namespace wizpak::run {

// Setup information record.
// InstallDir as chosen on the folder page
std::string InstallFolder(const SetupRun& setup_run);
bool UninstallerWanted(const SetupRun& setup_run);  // CreateUninstaller
std::string UninstallPrefix(const SetupRun& setup_run);

// Text services.
// Path variables expanded in a text that is not a path (a registry value's
// data, a message, a shortcut's arguments).
std::string ExpandText(const SetupRun& setup_run, std::string_view text);
// Path variables expanded; a result with a control character or beyond
// Windows' bounds throws ScriptError.
std::string ExpandPath(const SetupRun& setup_run, std::string_view text);
// Adds the still-present entries of an install log already in `folder`
// (a reinstall) to this run's; a damaged one throws ScriptError.
void MergeEarlierInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix);
// After a failed write or delete of `path`: when the failure was a link on
// the way (an attack on the installation, not a missing file), throws
// ScriptError naming it; other failures return quietly.
void StopAtLink(std::string_view path);
std::u16string ExpandLanguageTags(const SetupRun& setup_run, std::string_view text);
std::u16string LanguageString(const SetupRun& setup_run, int number);
std::u16string ReplaceFileName(std::u16string_view text, std::string_view file_name);
void ShowStatusText(SetupRun& setup_run, std::u16string_view text);
void ShowSubStatusText(SetupRun& setup_run, std::u16string_view text);
int32_t ParseTarget(std::string_view text);  // decimal integer, else -1
platform::RootKey RootKeyFromName(std::string_view name);
std::string WithBackslash(std::string_view path);
void RemoveTree(std::string_view path, bool remove_contents);
void CreateLink(const SetupRun& setup_run, std::string_view link, std::string_view target,
                std::string_view arguments);
// The desktop's side of a link (a menu entry or desktop launcher, recorded
// for the uninstaller), where the desktop has folders for them; the entries
// take the icon of the run's package.
void AddLinkToDesktop(SetupRun& setup_run, std::string_view link, std::string_view target,
                      std::string_view arguments);

// Folder part of a path without its trailing separator ("C:\\" for a file
// in a drive root, "" when the path has no folder part), and the name after
// the last separator.
std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);

// Package and install log.
// From the run's package; throws ScriptError when there is none.
void ExtractGroup(const SetupRun& setup_run, uint16_t group, std::string_view folder);
// Through the run's package hooks, so the folders made go to its install log.
void ForceFoldersLogged(const SetupRun& setup_run, std::string_view folder);
void LogFile(SetupRun& setup_run, std::string_view path);
void LogDirectory(SetupRun& setup_run, std::string_view path);
void LogRegistryEntry(SetupRun& setup_run, std::string_view entry);
// Throw ScriptError when the log cannot be written.
void SaveInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix);
void LoadInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix);
// Builds and registers the uninstaller and gives it a menu entry.
void BuildUninstaller(SetupRun& setup_run);

// Diagnostics: writes the error report, returns its path ("" if none).
std::string WriteErrorReport(const SetupRun& setup_run, std::string_view message,
                             std::string_view error_type);

}  // namespace wizpak::run
