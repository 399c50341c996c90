// The services of other units that script commands use, gathered in one
// place: path variables, language strings, status texts, the install log,
// package extraction, the registry condition helpers, shell links, the
// uninstaller and the error report. Each is a thin call into its owner unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace wizpak::run {

// Setup information record.
std::string InstallFolder();  // InstallDir as chosen on the folder page
bool UninstallerWanted();     // CreateUninstaller
std::string UninstallPrefix();

// Text services.
std::string ExpandPath(std::string_view text);  // path variables expanded
std::u16string ExpandLanguageTags(std::string_view text);
std::u16string LanguageString(int number);
std::u16string ReplaceFileName(std::u16string_view text, std::string_view file_name);
void ShowStatusText(std::u16string_view text);
void ShowSubStatusText(std::u16string_view text);
int32_t ParseTarget(std::string_view text);  // decimal integer, else -1
platform::RootKey RootKeyFromName(std::string_view name);
std::string WithBackslash(std::string_view path);
void RemoveTree(std::string_view path, bool remove_contents);
void CreateLink(std::string_view link, std::string_view target, std::string_view arguments);

// Folder part of a path without its trailing separator ("C:\\" for a file
// in a drive root, "" when the path has no folder part), and the name after
// the last separator.
std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);

// Package and install log.
void ExtractGroup(uint16_t group, std::string_view folder);
void ForceFoldersLogged(std::string_view folder);
void LogFile(std::string_view path);
void LogDirectory(std::string_view path);
void LogRegistryEntry(std::string_view entry);
// Throw ScriptError when the log cannot be written.
void SaveInstallLog(std::string_view folder, std::string_view prefix);
void LoadInstallLog(std::string_view folder, std::string_view prefix);
void BuildUninstaller();

// Asks the person: an error box (OK only, caption "Error").
void ShowErrorBox(std::string_view text);

// Diagnostics: writes the error report, returns its path ("" if none).
std::string WriteErrorReport(std::string_view message, std::string_view error_type);

}  // namespace wizpak::run
