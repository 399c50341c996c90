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

std::string InstallFolder(const SetupRun& setup_run) {
  return setup_run.record.InstallDir;
}
bool UninstallerWanted(const SetupRun& setup_run) {
  return setup_run.record.CreateUninstaller != 0;
}
std::string UninstallPrefix(const SetupRun& setup_run) {
  return setup_run.record.UninstallPrefix;
}
platform::RootKey RootKeyFromName(std::string_view name) {
  // Unknown names give index 0: HKEY_LOCAL_MACHINE.
  return RootKeyFromIndex(RootKeyIndex(name)).value_or(platform::RootKey::LocalMachine);
}

// ---- Text services ----------------------------------------------------------

std::string ExpandText(const SetupRun& setup_run, std::string_view text) {
  return ExpandPathVariables(setup_run, text);
}

std::string ExpandPath(const SetupRun& setup_run, std::string_view text) {
  std::string path = ExpandPathVariables(setup_run, text);
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

std::u16string ExpandLanguageTags(const SetupRun& setup_run, std::string_view text) {
  TagExpansionResult result = setup_run.languages.ExpandLangTagsChecked(AnsiToWide(text));
  // A tag whose number does not convert is a conversion error of the line.
  if (!result.ok) throw ScriptError(result.message);
  return std::move(result.text);
}

std::u16string LanguageString(const SetupRun& setup_run, int number) {
  return setup_run.languages.GetString(static_cast<uint16_t>(number));
}

std::u16string ReplaceFileName(std::u16string_view text, std::string_view file_name) {
  return ReplaceAllText(text, u"<%FILENAME%>", AnsiToWide(file_name));
}

void ShowStatusText(SetupRun& setup_run, std::u16string_view text) {
  setup_run.status.ShowStatus(text, /*repaint=*/true);
}
void ShowSubStatusText(SetupRun& setup_run, std::u16string_view text) {
  setup_run.status.ShowSubStatus(text, /*repaint=*/true);
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

void CreateLink(const SetupRun& setup_run, std::string_view link, std::string_view target,
                std::string_view arguments) {
  // A link that cannot be written is skipped quietly; it is still logged.
  // A link planted on the way is an error of the run.
  if (!CreateShellLink(link, target, arguments, setup_run.package_hooks)) StopAtLink(link);
}

namespace {

// The product the desktop entries belong to, from the setup record; its
// icon is the one the setup carries for its uninstaller, else the page
// set's own.
DesktopProduct Product(const SetupRun& setup_run) {
  const TSetupInfoFile& record = setup_run.record;
  DesktopProduct product;
  product.short_name = record.ShortName;
  product.title = record.SetupName;
  product.programs_folder = setup_run.figures.ProgramsFolder;
  product.desktop_folder = IncludeBackslash(platform::SpecialFolder(platform::kCsidlCommonDesktop));
  product.icon_file = [package = setup_run.package.pak]() -> std::optional<std::string> {
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

void AddLinkToDesktop(SetupRun& setup_run, std::string_view link, std::string_view target,
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
  TPak* package = setup_run.package.pak;
  if (package == nullptr) {
    throw ScriptError("Cannot extract file group " + std::to_string(group) +
                      ": no package is open");
  }
  package->ExtractGroup(group, folder, setup_run.package_hooks);
}

void ForceFoldersLogged(const SetupRun& setup_run, std::string_view folder) {
  wizpak::ForceFoldersLogged(folder, setup_run.package_hooks);
}

void BuildUninstaller(SetupRun& setup_run) {
  const UninstallerBuildResult result =
      wizpak::BuildUninstaller(setup_run.package, setup_run.record, setup_run.package_hooks);
  // The uninstaller's menu entry, and the record beside the log saved again
  // with it; then the desktop reads its menus anew.
  if (const auto folders = platform::UserDesktopFolders(); folders && result.built) {
    TUninstallList& log = setup_run.install_log;
    AddUninstallEntry(log.Desktop(), Product(setup_run), *folders, result.path,
                      InstallFolder(setup_run));
    const InstallLogResult saved =
        log.SaveDesktopRecord(InstallFolder(setup_run), UninstallPrefix(setup_run));
    platform::RefreshDesktopDatabase(folders->applications);
    if (!saved.ok()) throw ScriptError(saved.message);
  }
  // An installation without its uninstaller cannot be removed again: that
  // is an error of the run, not a success.
  if (!result.built && !result.message.empty()) throw ScriptError(result.message);
}

void LogFile(SetupRun& setup_run, std::string_view path) {
  // What was really written: a file found in another letter case is logged
  // in its stored spelling.
  setup_run.install_log.AddFile(platform::StoredSpelling(path));
}
void LogDirectory(SetupRun& setup_run, std::string_view path) {
  setup_run.install_log.AddDirectory(path);
}
void LogRegistryEntry(SetupRun& setup_run, std::string_view entry) {
  setup_run.install_log.AddRegistryEntry(entry);
}

void SaveInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix) {
  const InstallLogResult result = setup_run.install_log.SaveToFile(folder, prefix);
  // A log that was not written would leave an installation nobody can
  // remove: report it instead of carrying on as if it were saved.
  if (!result.ok()) throw ScriptError(result.message);
}

void MergeEarlierInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix) {
  const auto value_exists = [](std::string_view entry) {
    const RegistryEntryParts parts = SplitRegistryEntry(entry);
    const platform::RootKey root = RootKeyFromName(parts.root);
    return platform::Registry().ReadString(root, parts.key, parts.name).has_value();
  };
  const InstallLogResult result =
      setup_run.install_log.MergeStillPresent(folder, prefix, value_exists);
  if (!result.ok()) throw ScriptError(result.message);
}

void LoadInstallLog(SetupRun& setup_run, std::string_view folder, std::string_view prefix) {
  // Only an existing, whole log replaces the lists; anything else keeps them.
  setup_run.install_log.LoadFromFile(folder, prefix);
}

std::string WriteErrorReport(const SetupRun& setup_run, std::string_view message,
                             std::string_view error_type) {
  return setup_run.WriteErrorReport(message, error_type);
}

}  // namespace wizpak::run
