#include "setup/startup.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "diagnostics/error_report.h"
#include "gui/frontend.h"
#include "gui/message_box.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/system.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/script_run.h"
#include "setup/exe_name_check.h"
#include "setup/package_connection.h"
#include "setup/package_view.h"
#include "setup/startup_steps.h"
#include "setup/verification.h"
#include "text/language.h"
#include "text/number_format.h"
#include "text/path_helpers.h"
#include "text/shared_state.h"
#include "uninstall/uninstaller.h"
#include "wizard/program_host.h"
#include "wizard/wizard_run.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::setup {
namespace {

// A step either lets the sequence go on or ends it with an exit status.
struct Step {
  bool go_on = true;
  int exit_status = kExitOk;
};
constexpr Step kGoOn{};
Step Stop(int status = kExitStopped) {
  return Step{false, status};
}

// A start-up message box: no owner, OK only, no icon; the program ends.
Step StopWith(const std::string& text, const char* caption) {
  gui::MessageBox(text, caption);
  return Stop();
}

// 1. Number format and the system language.
void SetNumberFormatAndLanguage(RunFigures& figures) {
  platform::UseClassicNumberFormatting();
  figures.DefaultLangID = platform::SystemDefaultLangID();
}

// 2. The main form first, then the debug form.
void CreateForms(StartupState& state) {
  state.main_form = state.toolkit->CreateMainForm();
  state.debug_form = state.toolkit->CreateDebugWindow();
  state.toolkit->SetApplicationTitle(u"Verifying Contents");
  gui::Toolkit* toolkit = state.toolkit;
  state.run.status.ProgressHook = [toolkit] { toolkit->ProcessMessages(); };
}

// 3. The verification window, painted at once.
void ShowVerifyWindow(StartupState& state) {
  state.verify_window = state.toolkit->CreateVerifyWindow();
  gui::VerifyWindow& window = *state.verify_window;
  window.SetStatus("Loading Header");
  window.SetProgressPosition(0);
  window.SetProgressMax(100);
  window.Show();
  window.Repaint();
}

// 4. The package: the first non-option argument when it names a file, else
// this program's own file.
void OpenChosenPackage(StartupState& state) {
  const std::string& argument = state.options.package_argument;
  if (!argument.empty() && platform::FileExists(argument)) {
    state.package_path = argument;
    state.package_from_command_line = true;
  } else {
    state.package_path = platform::ExecutablePath();
  }
  state.pak = OpenPackage(state.package_path);
  // The script's "file" lines and the uninstaller builder read from it.
  state.run.package =
      RunningPackage{state.pak.get(), state.package_path, state.package_from_command_line};
}

// 5. The trailer identifier.
Step CheckPackageId(StartupState& state) {
  if (PackageId(*state.pak) != "KYPF") return StopWith(kInvalidHeaderText, "Error");
  return kGoOn;
}

// 6. Every entry checked; an error inside the pass is reported and start-up
// goes on.
Step VerifyPackage(StartupState& state) {
  TPak& pak = *state.pak;
  VerifySource source;
  source.count = PackageEntryCount(pak);
  source.orig_size = [&pak](uint32_t i) { return PackageEntry(pak, i).orig_size; };
  source.name = [&pak](uint32_t i) { return PackageEntry(pak, i).name; };
  source.verify_entry = [&pak](uint32_t i) { return VerifyPackageEntry(pak, i); };
  // The window stays up at least half a second so a person can read it;
  // without a window on a screen (headless, unattended) nobody waits.
  const uint32_t wait_ms = state.toolkit->ShowsWindows() ? kVerifyMinimumMs : 0;
  const VerifyOutcome outcome =
      RunVerification(source, *state.verify_window, SystemVerifyClock(), wait_ms);
  switch (outcome.kind) {
    case VerifyOutcome::Kind::Passed:
      break;
    case VerifyOutcome::Kind::Failed:
      return StopWith(VerificationFailedMessage(outcome.failed_index, outcome.failed_name),
                      "Verification Error");
    case VerifyOutcome::Kind::Exception:
      state.verify_window->Close();
      state.run.WriteErrorReport(outcome.exception_message, "Verification Stage");
      break;
  }
  state.verify_window.reset();
  return kGoOn;
}

// 7. The first CD-ROM drive.
void FindCdRomDrive(RunFigures& figures) {
  figures.CDDriveRoot = FirstCdRomRoot(platform::LogicalDriveStrings(), [](std::string_view root) {
    return platform::GetDriveType(root);
  });
}

// 8. The setup record.
Step LoadSetupRecord(StartupState& state) {
  const std::optional<std::string> bytes = FindGroup0Entry(*state.pak, "SetupInfo");
  if (!bytes) return StopWith(kSetupInfoMissingText, "Verification Error");
  if (!state.run.record.LoadFromBuffer(bytes->data(), bytes->size())) {
    // A record shorter than its fields: the outermost handler reports it.
    throw std::runtime_error("The setup record is truncated or damaged");
  }
  state.uninstall_mode = state.run.record.IsUninstaller == 1;
  return kGoOn;
}

// 9. Uninstall mode: the install log from the installation folder.
Step LoadInstallLog(StartupState& state) {
  const std::string damage =
      InstallFolderDamage(state.run.record.InstallDir, "the uninstaller's record");
  if (!damage.empty()) throw std::runtime_error(damage);
  const std::string path =
      InstallLogPath(state.run.record.InstallDir, state.run.record.UninstallPrefix);
  if (!platform::FileExists(path)) return StopWith(kInstallLogMissingText, "Setup Error");
  const InstallLogResult result = state.run.install_log.LoadFromFile(
      state.run.record.InstallDir, state.run.record.UninstallPrefix);
  if (!result.ok()) throw std::runtime_error(result.message);
  return kGoOn;
}

// 10. Install mode: the compiled script, the commands and the file groups.
Step LoadScript(StartupState& state, uint64_t& space_required) {
  const std::optional<std::string> bytes = FindGroup0Entry(*state.pak, "CompiledLines");
  if (!bytes) return StopWith(kCompiledLinesMissingText, "Verification Error");
  const CompLinesLoadResult loaded = state.run.lines.LoadFromBuffer(bytes->data(), bytes->size());
  if (!loaded) throw std::runtime_error(loaded.message);
  state.group_kinds = GroupKinds(state.run.lines, state.run.commands);
  std::vector<GroupedEntry> entries;
  const uint32_t count = PackageEntryCount(*state.pak);
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const EntryInfo info = PackageEntry(*state.pak, i);
    entries.push_back(GroupedEntry{info.group, info.orig_size, info.stored_size});
  }
  space_required = SumSpaceRequired(entries, state.group_kinds);
  // The uninstaller the run leaves goes to the same drive: its image plus
  // the entries copied into its package.
  if (state.run.record.CreateUninstaller != 0)
    space_required +=
        UninstallerSpace(*state.pak, state.package_path, state.package_from_command_line);
  return kGoOn;
}

// 12. The shell folders.
void FindSpecialFolders(RunFigures& figures) {
  figures.ProgramFilesFolder = platform::SpecialFolder(38) + "\\";
  figures.ProgramsFolder = platform::SpecialFolder(2) + "\\";
}

// 13. The running file must keep the name the record expects.
Step CheckExecutableName(const StartupState& state) {
  if (state.uninstall_mode || state.package_from_command_line) return kGoOn;
  const std::string found = FileNamePart(platform::ExecutablePath());
  if (ExecutableNameAccepted(state.run.record.SetupExeName, found)) return kGoOn;
  return StopWith(RenamedExecutableMessage(state.run.record.SetupExeName, found), "Error");
}

// 14. The languages, and the one for the system language made current.
void LoadLanguages(StartupState& state) {
  TLanguages& languages = state.run.languages;
  ForEachGroup0Entry(*state.pak, [&](const std::string& name, const std::string& content) {
    if (!IsLanguageEntryName(name)) return;
    // A language file that does not read (a number that is not one, too few
    // lines) ends start-up in the error report instead of leaving a language
    // whose later strings show as "NOT FOUND".
    const LanguageLoadResult loaded = languages.AddLanguage(content.data(), content.size());
    if (!loaded) throw std::runtime_error(name + ": " + loaded.message);
  });
  const int32_t found = languages.FindByLangID(state.run.figures.DefaultLangID);
  languages.Current = found < 0 ? 0 : found;
}

// 15. Install mode: the installation folder and its free space.
Step FindInstallFolder(StartupState& state) {
  TSetupInfoFile& record = state.run.record;
  InstallDirSource source;
  source.install_dir = record.InstallDir;
  source.root_index = record.InstallDirRegKey.HKEY;
  source.key_path = record.InstallDirRegKey.Path;
  source.value_name = record.InstallDirRegKey.Key;
  const InstallDirOutcome outcome = ResolveInstallDir(source);
  if (!outcome.damage.empty()) throw std::runtime_error(outcome.damage);
  if (!outcome.ok) return StopWith(kRegistryKeyNotFoundText, "Error");
  record.InstallDir = outcome.install_dir;
  if (outcome.space_available) {
    RunFigures& figures = state.run.figures;
    figures.SpaceAvailable = *outcome.space_available;
    figures.SpaceAvailableText =
        FormatByteSize(static_cast<uint64_t>(std::max<int64_t>(figures.SpaceAvailable, 0)));
  }
  return kGoOn;
}

// What the report says about this setup once the package is open.
void ConnectErrorReport(StartupState& state) {
  state.run.report_context = [&state] {
    diagnostics::ReportContext context;
    context.setup_name = state.run.record.SetupName;
    context.setup_exe_name = state.run.record.SetupExeName;
    if (state.pak && PackageId(*state.pak) == "KYPF") {
      context.package =
          diagnostics::PackageFacts{PackageId(*state.pak), PackageVersion(*state.pak),
                                    PackageEntryCount(*state.pak), state.package_path};
    }
    return context;
  };
}

// 16. The wizard, over the open package.
wizard::ProgramPackage PackageOfStartup(const StartupState& state) {
  wizard::ProgramPackage package;
  TPak* pak = state.pak.get();
  if (!pak) return package;
  package.find_entry = [pak](std::string_view name) {
    return FindGroup0Entry(*pak, std::string(name));
  };
  package.id = PackageId(*pak);
  package.version = PackageVersion(*pak);
  const uint32_t count = PackageEntryCount(*pak);
  for (uint32_t i = 0; i < count; ++i) {
    EntryInfo entry = PackageEntry(*pak, i);
    package.entries.emplace_back(entry.name, entry.group);
  }
  return package;
}

int RunWizard(StartupState& state) {
  wizard::WizardRunOptions options;
  options.unattended = state.options.unattended;
  options.dir = state.options.dir;
  return wizard::RunProgramWizard(state.run, *state.toolkit, *state.main_form,
                                  PackageOfStartup(state), options);
}

}  // namespace

StartupState::StartupState() = default;
StartupState::~StartupState() = default;

int RunStartupSequence(StartupState& state) {
  SetNumberFormatAndLanguage(state.run.figures);
  CreateForms(state);
  ShowVerifyWindow(state);
  OpenChosenPackage(state);
  ConnectErrorReport(state);
  ConnectPackageHooks(state.run);
  if (Step s = CheckPackageId(state); !s.go_on) return s.exit_status;
  if (Step s = VerifyPackage(state); !s.go_on) return s.exit_status;
  FindCdRomDrive(state.run.figures);
  if (Step s = LoadSetupRecord(state); !s.go_on) return s.exit_status;
  uint64_t space_required = 0;
  // A run killed part-way into this folder is undone before anything else
  // (the uninstaller then reads the log of the version installed before it).
  if (state.uninstall_mode) RecoverEarlierRun(state.run.status, state.run.record.InstallDir);
  if (state.uninstall_mode) {
    if (Step s = LoadInstallLog(state); !s.go_on) return s.exit_status;
  } else {
    if (Step s = LoadScript(state, space_required); !s.go_on) return s.exit_status;
  }
  state.run.figures.SetSpaceRequired(space_required);
  FindSpecialFolders(state.run.figures);
  if (Step s = CheckExecutableName(state); !s.go_on) return s.exit_status;
  LoadLanguages(state);
  if (!state.uninstall_mode) {
    if (Step s = FindInstallFolder(state); !s.go_on) return s.exit_status;
    RecoverEarlierRun(state.run.status, state.run.record.InstallDir);
  }
  return RunWizard(state);
}

int SetupMain(const std::vector<std::string>& arguments) {
  StartupState state;
  state.arguments = arguments;
  state.options = ParseSetupOptions(arguments);
  const std::string program = arguments.empty() ? "wizpak-stub" : FileNamePart(arguments[0]);
  if (state.options.help) {
    std::fputs(SetupUsage(program).c_str(), stdout);
    std::fputs("\n", stdout);
    std::fwrite(wizard::ExitStatusHelp().data(), 1, wizard::ExitStatusHelp().size(), stdout);
    return kExitOk;
  }
  if (!state.options.error.empty()) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), state.options.error.c_str());
    return kExitUsage;
  }
  std::string error;
  std::string notice;
  std::unique_ptr<gui::Toolkit> toolkit = gui::CreateToolkit(
      gui::FrontEndOptions{state.options.ui, state.options.unattended}, error, &notice);
  // A notice says why the automatic choice fell back to the terminal wizard.
  if (!notice.empty()) std::fprintf(stderr, "%s: %s\n", program.c_str(), notice.c_str());
  if (!toolkit) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
    return kExitUsage;
  }
  gui::SetActiveToolkit(toolkit.get());
  state.toolkit = toolkit.get();
  int status = kExitOk;
  try {
    status = RunStartupSequence(state);
  } catch (const std::exception& escaped) {
    state.run.WriteErrorReport(escaped.what(), "");
    status = kExitErrorReport;
  }
  // 17. Release the windows before the toolkit that made them.
  state.run.package = RunningPackage{};
  state.verify_window.reset();
  state.debug_form.reset();
  state.main_form.reset();
  gui::SetActiveToolkit(nullptr);
  return status;
}

}  // namespace wizpak::setup
