// Thin calls from the script commands into the units that own each service.
#include "script/run_services.h"

#include "diagnostics/error_report.h"
#include "gui/message_box.h"
#include "platform/codepage.h"
#include "script/script_run.h"
#include "text/language.h"
#include "text/path_helpers.h"
#include "text/remove_tree.h"
#include "text/replace_all.h"
#include "text/shell_link.h"
#include "text/status_progress.h"
#include "package/package_files.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "uninstall/uninstall_list.h"
#include "uninstall/uninstaller.h"

namespace wizpak::run {

// ---- Setup record ----------------------------------------------------------

std::string InstallFolder() {
  return TSetupInfoFile::Instance().InstallDir;
}
bool UninstallerWanted() {
  return TSetupInfoFile::Instance().CreateUninstaller != 0;
}
std::string UninstallPrefix() {
  return TSetupInfoFile::Instance().UninstallPrefix;
}
platform::RootKey RootKeyFromName(std::string_view name) {
  // Unknown names give index 0: HKEY_LOCAL_MACHINE.
  return RootKeyFromIndex(RootKeyIndex(name)).value_or(platform::RootKey::LocalMachine);
}

// ---- Text services ----------------------------------------------------------

std::string ExpandPath(std::string_view text) {
  return ExpandPathVariables(text, InstallFolder());
}

std::u16string ExpandLanguageTags(std::string_view text) {
  TagExpansionResult result = TLanguages::Instance().ExpandLangTagsChecked(AnsiToWide(text));
  // A tag whose number does not convert is a conversion error of the line.
  if (!result.ok) throw ScriptError(result.message);
  return std::move(result.text);
}

std::u16string LanguageString(int number) {
  return TLanguages::Instance().GetString(static_cast<uint16_t>(number));
}

std::u16string ReplaceFileName(std::u16string_view text, std::string_view file_name) {
  return ReplaceAllText(text, u"<%FILENAME%>", AnsiToWide(file_name));
}

void ShowStatusText(std::u16string_view text) {
  ShowStatus(text, /*repaint=*/true);
}
void ShowSubStatusText(std::u16string_view text) {
  ShowSubStatus(text, /*repaint=*/true);
}

int32_t ParseTarget(std::string_view text) {
  return ParseIntOrMinusOne(text);
}

std::string WithBackslash(std::string_view path) {
  return IncludeBackslash(path);
}

void RemoveTree(std::string_view path, bool remove_contents) {
  RemoveDirectoryTree(path, remove_contents);
}

void CreateLink(std::string_view link, std::string_view target, std::string_view arguments) {
  // A link that cannot be written is skipped quietly; it is still logged.
  CreateShellLink(link, target, arguments);
}

std::string FolderOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  if (cut == std::string_view::npos) return "";
  // A drive root keeps its separator, so "C:\\x.txt" gives "C:\\".
  if (path[cut] == ':' || (cut == 2 && path[1] == ':')) return std::string(path.substr(0, cut + 1));
  return std::string(path.substr(0, cut));
}

std::string FileNameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// ---- Package and install log ------------------------------------------------

void ExtractGroup(uint16_t group, std::string_view folder) {
  TPak* package = ScriptPackage();
  if (package == nullptr) {
    throw ScriptError("Cannot extract file group " + std::to_string(group) +
                      ": no package is open");
  }
  package->ExtractGroup(group, folder);
}

void ShowErrorBox(std::string_view text) {
  gui::MessageBox(text, "Error");
}

void ForceFoldersLogged(std::string_view folder) {
  wizpak::ForceFoldersLogged(folder);
}

void BuildUninstaller() {
  const UninstallerBuildResult result = wizpak::BuildUninstaller();
  // An installation without its uninstaller cannot be removed again: that
  // is an error of the run, not a success.
  if (!result.built && !result.message.empty()) throw ScriptError(result.message);
}

void LogFile(std::string_view path) {
  TUninstallList::Instance().AddFile(path);
}
void LogDirectory(std::string_view path) {
  TUninstallList::Instance().AddDirectory(path);
}
void LogRegistryEntry(std::string_view entry) {
  TUninstallList::Instance().AddRegistryEntry(entry);
}

void SaveInstallLog(std::string_view folder, std::string_view prefix) {
  const InstallLogResult result = TUninstallList::Instance().SaveToFile(folder, prefix);
  // A log that was not written would leave an installation nobody can
  // remove: report it instead of carrying on as if it were saved.
  if (!result.ok()) throw ScriptError(result.message);
}

void LoadInstallLog(std::string_view folder, std::string_view prefix) {
  // Only an existing, whole log replaces the lists; anything else keeps them.
  TUninstallList::Instance().LoadFromFile(folder, prefix);
}

std::string WriteErrorReport(std::string_view message, std::string_view error_type) {
  return diagnostics::WriteErrorReport(message, error_type);
}

}  // namespace wizpak::run
