// Thin calls from the script commands into the units that own each service.
#include "script/run_services.h"

#include "diagnostics/error_report.h"
#include "platform/codepage.h"
#include "script/script_run.h"
#include "text/language.h"
#include "text/path_helpers.h"
#include "text/remove_tree.h"
#include "text/replace_all.h"
#include "text/shell_link.h"
#include "text/status_progress.h"
#include "platform/files.h"
#include "uninstall/uninstall_list.h"

#if __has_include("package/setup_info.h")
#define WIZPAK_HAVE_SETUP_RECORD 1
#include "package/setup_info.h"
#endif

namespace wizpak::run {

// ---- Setup record ----------------------------------------------------------

#if WIZPAK_HAVE_SETUP_RECORD
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
  return RootKeyFromIndex(RootKeyIndex(name)).value_or(platform::RootKey::LocalMachine);
}
#else
// Until the package unit provides the setup record, the run keeps the three
// fields it needs here.
InterimRecordFields& InterimRecord() {
  static InterimRecordFields fields;
  return fields;
}
std::string InstallFolder() {
  return InterimRecord().install_dir;
}
bool UninstallerWanted() {
  return InterimRecord().create_uninstaller;
}
std::string UninstallPrefix() {
  return InterimRecord().uninstall_prefix;
}
platform::RootKey RootKeyFromName(std::string_view name) {
  const std::string upper = AnsiUpper(name);
  if (upper == "HKCU") return platform::RootKey::CurrentUser;
  if (upper == "HKCR") return platform::RootKey::ClassesRoot;
  if (upper == "HKU") return platform::RootKey::Users;
  if (upper == "HKCC") return platform::RootKey::CurrentConfig;
  return platform::RootKey::LocalMachine;
}
#endif

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

#if WIZPAK_HAVE_PACKAGE_READER
void ExtractGroup(uint16_t group, std::string_view folder) {
  Package().ExtractGroup(group, folder);
}
void ForceFoldersLogged(std::string_view folder) {
  wizpak::ForceFoldersLogged(folder);
}
#else
void ExtractGroup(uint16_t group, std::string_view) {
  throw ScriptError("Cannot extract file group " + std::to_string(group) +
                    ": no package reader in this build");
}
// Only "X:\..." paths: from the drive root one level at a time; every level
// created is logged. Network and relative paths are left alone.
void ForceFoldersLogged(std::string_view folder) {
  if (folder.size() <= 3 || folder[1] != ':' || folder[2] != '\\') return;
  std::string path(folder.substr(0, 3));
  size_t pos = 3;
  while (pos <= folder.size()) {
    size_t end = folder.find('\\', pos);
    if (end == std::string_view::npos) end = folder.size();
    if (end > pos) {
      path.append(folder.substr(pos, end - pos));
      if (!platform::DirectoryExists(path) && platform::CreateDirectory(path)) LogDirectory(path);
      path.push_back('\\');
    }
    pos = end + 1;
  }
}
#endif

#if WIZPAK_HAVE_UNINSTALLER_BUILDER
void BuildUninstaller() {
  wizpak::BuildUninstaller();
}
#else
void BuildUninstaller() {}
#endif

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
