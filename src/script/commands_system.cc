// The commands that reach beyond the file system: "writeregstr",
// "createshortcut", the two game-archive commands and the two install-log
// commands.
#include "script/archive_commands.h"
#include "platform/registry.h"
#include "script/commands.h"
#include "script/run_services.h"
#include "script/script_run.h"
#include "script/setup_run.h"

namespace wizpak {
namespace {

const TCompLine* LineAt(const SetupRun& setup_run, int lineIndex) {
  return setup_run.lines.At(lineIndex);
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

void TWriteRegStrCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string& root_name = line->Param(0);
  const std::string& key = line->Param(1);
  const std::string& value_name = line->Param(2);
  const std::string& data = line->Param(3);
  platform::Registry registry;
  const platform::RootKey root = run::RootKeyFromName(root_name);
  // A key that cannot be opened is skipped quietly; but where the platform
  // says the failure means the hive cannot be saved, the value cannot be set
  // either, and that ends the run like a value that cannot be written.
  const bool opened = registry.OpenKey(root, key, /*create=*/true);
  if (!opened && platform::KeyOpenFailureIsWriteFailure(key)) {
    throw ScriptError("Failed to set data for '" + value_name + "'");
  }
  if (opened && !registry.WriteString(root, key, value_name, run::ExpandText(setup_run, data))) {
    throw ScriptError("Failed to set data for '" + value_name + "'");
  }
  // Logged as written, even when the key did not open.
  run::LogRegistryEntry(setup_run, Quoted(root_name) + " " + Quoted(key) + " " +
                                       Quoted(value_name) + " " + Quoted(data));
}

void TCreateShortCutCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string link = run::ExpandPath(setup_run, line->Param(0));
  // The link's missing folders are created (and logged) first, so the
  // uninstaller removes a new start-menu folder again.
  const std::string folder = run::FolderOf(link);
  if (!folder.empty()) run::ForceFoldersLogged(setup_run, folder);
  const std::string target = run::ExpandPath(setup_run, line->Param(1));
  const std::string arguments = run::ExpandText(setup_run, line->Param(2));
  run::CreateLink(setup_run, link, target, arguments);
  run::LogFile(setup_run, link);
  run::AddLinkToDesktop(setup_run, link, target, arguments);
}

void TKYPUpdateCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  TScriptRun& state = setup_run.script;
  ++state.FileGroupCounter;
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  ExecuteKypUpdate(setup_run, line->Params, state.CurrentGroup());
}

void TKYPOfficialCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  ExecuteKypOfficial(setup_run, line->Params);
}

void TUninstallLogLoadCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string prefix = line->Params.size() >= 2 ? line->Param(1) : std::string();
  run::LoadInstallLog(setup_run, run::ExpandPath(setup_run, line->Param(0)), prefix);
}

void TUninstallLogSaveCommand::Execute(SetupRun& setup_run, int lineIndex) const {
  const TCompLine* line = LineAt(setup_run, lineIndex);
  if (line == nullptr) return;
  const std::string prefix = line->Params.size() >= 2 ? line->Param(1) : std::string();
  run::SaveInstallLog(setup_run, run::ExpandPath(setup_run, line->Param(0)), prefix);
}

}  // namespace wizpak
