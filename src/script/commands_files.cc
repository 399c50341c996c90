// The file-system commands: "file", "copyfile", "delete", "createdirectory"
// and "rmdir".
#include "gui/message_box.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/walked_paths.h"
#include "script/commands.h"
#include "script/run_services.h"
#include "script/script_run.h"
#include "script/setup_run.h"

namespace wizpak {
namespace {

constexpr int kCopyingText = 17;  // "Copying File <%FILENAME%>"

const TCompLine* LineAt(const SetupRun& setup_run, int lineIndex) {
  return setup_run.lines.At(lineIndex);
}

// A sense of "0", "false" or "f" (any case) negates the comparison.
bool NegatingSense(std::string_view sense) {
  if (sense == "0") return true;
  const std::string lower = AsciiLower(sense);
  return lower == "false" || lower == "f";
}

// Root (p3), key (p4), value (p5), expected text (p6), sense (p7). The key is
// opened with create, as the Windows code did: a missing key appears, empty.
bool RegistryConditionHolds(const TCompLine& line) {
  platform::Registry registry;
  const platform::RootKey root = run::RootKeyFromName(line.Param(2));
  const std::string& key = line.Param(3);
  bool equal = false;
  if (registry.OpenKey(root, key, /*create=*/true)) {
    const std::string value = registry.ReadString(root, key, line.Param(4)).value_or("");
    equal = value == line.Param(5);
  }
  return NegatingSense(line.Param(6)) ? !equal : equal;
}

}  // namespace

void TFileCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  // The group advances whatever follows, so later lines keep their groups.
  TScriptRun& state = setup_run.script;
  ++state.FileGroupCounter;
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const uint16_t group = state.CurrentGroup();
  switch (line->Params.size()) {
    case 0:
      return;
    case 1:
      run::ExtractGroup(setup_run, group, run::InstallFolder(setup_run));
      return;
    case 2:
      run::ExtractGroup(
          setup_run, group,
          run::WithBackslash(run::InstallFolder(setup_run)) + run::WithBackslash(line->Param(1)));
      return;
    case 7:
      if (RegistryConditionHolds(*line)) {
        run::ExtractGroup(
            setup_run, group,
            run::WithBackslash(run::InstallFolder(setup_run)) + run::WithBackslash(line->Param(1)));
      }
      return;
    default:
      gui::MessageBox("TFileCommand.SFXProcess - Param Count Invalid!!!", "Error");
      return;
  }
}

void TCopyFileCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string source = run::ExpandPath(setup_run, line->Param(0));
  const std::string destination = run::ExpandPath(setup_run, line->Param(1));
  const std::string folder = run::FolderOf(destination);
  if (!folder.empty()) run::ForceFoldersLogged(setup_run, folder);
  run::ShowStatusText(setup_run, run::ReplaceFileName(run::LanguageString(setup_run, kCopyingText),
                                                      run::FileNameOf(source)));
  // Failure is quiet, as it always was, except a link on the way: that is
  // an attack on the installation and ends the run.
  if (!platform::CopyFileWalked(source, destination)) run::StopAtLink(destination);
  run::LogFile(setup_run, destination);
}

void TDeleteCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string path = run::ExpandPath(setup_run, line->Param(0));
  if (platform::DeleteFileWalked(path) == platform::DeleteResult::Failed)
    run::StopAtLink(path);  // other failures are quiet
}

void TCreateDirectoryCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string path = run::ExpandPath(setup_run, line->Param(0));
  run::ForceFoldersLogged(setup_run, path);
  // Logged once more even when it existed: the uninstaller removes it only
  // if it is empty then.
  run::LogDirectory(setup_run, path);
}

void TRMDirCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  // The flag is handed on; the removal always takes the contents with it.
  run::RemoveTree(run::ExpandPath(setup_run, line->Param(0)), line->Param(1) == "1");
}

}  // namespace wizpak
