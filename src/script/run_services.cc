// Thin calls from the script commands into the units that own each service.
#include "script/run_services.h"

#include "diagnostics/error_report.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/desktop_files.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"
#include "platform/walked_paths.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "text/language.h"
#include "text/path_helpers.h"
#include "text/remove_tree.h"
#include "text/replace_all.h"
#include "text/shell_link.h"
#include "text/status_progress.h"
#include "package/package_files.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "text/shared_state.h"
#include "uninstall/desktop_menus.h"
#include "uninstall/uninstall_list.h"
#include "uninstall/uninstall_walk.h"
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

std::string ExpandText(std::string_view text) {
  return ExpandPathVariables(text, InstallFolder());
}

std::string ExpandPath(std::string_view text) {
  std::string path = ExpandPathVariables(text, InstallFolder());
  // Checked after expansion: the install folder is part of the path now. A
  // control character (a NUL cuts the name where the host reads it) or a
  // path beyond Windows' bounds is never handed on.
  const std::string fault = platform::PathTextFault(path);
  if (!fault.empty()) throw ScriptError("The path " + platform::VisibleText(path) + " " + fault);
  return path;
}

void StopAtLink(std::string_view path) {
  if (platform::LastErrorIsLink())
    throw ScriptError("Cannot change " + std::string(path) + ": " + platform::LastErrorText());
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
  const RemoveTreeResult result = RemoveDirectoryTree(path, remove_contents);
  if (result == RemoveTreeResult::Refused || result == RemoveTreeResult::Incomplete)
    StopAtLink(path);
}

void CreateLink(std::string_view link, std::string_view target, std::string_view arguments) {
  // A link that cannot be written is skipped quietly; it is still logged.
  // A link planted on the way is an error of the run.
  if (!CreateShellLink(link, target, arguments)) StopAtLink(link);
}

namespace {

// The product the desktop entries belong to, from the setup record; its
// icon is the one the setup carries for its uninstaller, else the page
// set's own.
DesktopProduct Product(const SetupRun& setup_run) {
  const TSetupInfoFile& record = TSetupInfoFile::Instance();
  DesktopProduct product;
  product.short_name = record.ShortName;
  product.title = record.SetupName;
  product.programs_folder = ProgramsFolder;
  product.desktop_folder = IncludeBackslash(platform::SpecialFolder(platform::kCsidlCommonDesktop));
  product.icon_file = [package = setup_run.package]() -> std::optional<std::string> {
    if (package == nullptr) return std::nullopt;
    for (const char* name : {"UNINSTALL_ICON.ICO", "icon.ico"}) {
      uint32_t size = 0;
      if (PakBlock icon = package->FindEntry(name, 0, size)) return icon;
    }
    return std::nullopt;
  };
  return product;
}

}  // namespace

void AddLinkToDesktop(const SetupRun& setup_run, std::string_view link, std::string_view target,
                      std::string_view arguments) {
  const auto folders = platform::UserDesktopFolders();
  if (!folders) return;
  // Like the link itself, an entry that cannot be written is skipped quietly.
  wizpak::AddLinkToDesktop(setup_run.install_log.Desktop(), Product(setup_run), *folders, link,
                           target, arguments);
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

void ExtractGroup(const SetupRun& setup_run, uint16_t group, std::string_view folder) {
  TPak* package = setup_run.package;
  if (package == nullptr) {
    throw ScriptError("Cannot extract file group " + std::to_string(group) +
                      ": no package is open");
  }
  package->ExtractGroup(group, folder);
}

void ForceFoldersLogged(std::string_view folder) {
  wizpak::ForceFoldersLogged(folder);
}

void BuildUninstaller(const SetupRun& setup_run) {
  const UninstallerBuildResult result = wizpak::BuildUninstaller();
  // The uninstaller's menu entry, and the record beside the log saved again
  // with it; then the desktop reads its menus anew.
  if (const auto folders = platform::UserDesktopFolders(); folders && result.built) {
    TUninstallList& log = setup_run.install_log;
    AddUninstallEntry(log.Desktop(), Product(setup_run), *folders, result.path, InstallFolder());
    const InstallLogResult saved = log.SaveDesktopRecord(InstallFolder(), UninstallPrefix());
    platform::RefreshDesktopDatabase(folders->applications);
    if (!saved.ok()) throw ScriptError(saved.message);
  }
  // An installation without its uninstaller cannot be removed again: that
  // is an error of the run, not a success.
  if (!result.built && !result.message.empty()) throw ScriptError(result.message);
}

void LogFile(std::string_view path) {
  // What was really written: a file found in another letter case is logged
  // in its stored spelling.
  TUninstallList::Instance().AddFile(platform::StoredSpelling(path));
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

void MergeEarlierInstallLog(std::string_view folder, std::string_view prefix) {
  const auto value_exists = [](std::string_view entry) {
    const RegistryEntryParts parts = SplitRegistryEntry(entry);
    const platform::RootKey root = RootKeyFromName(parts.root);
    return platform::Registry::Instance().ReadString(root, parts.key, parts.name).has_value();
  };
  const InstallLogResult result =
      TUninstallList::Instance().MergeStillPresent(folder, prefix, value_exists);
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
