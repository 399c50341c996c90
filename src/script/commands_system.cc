// The commands that reach beyond the file system: "writeregstr",
// "createshortcut", the two game-archive commands and the two install-log
// commands.
#include "script/archive_commands.h"
#include "platform/registry.h"
#include "script/commands.h"
#include "script/run_services.h"
#include "script/script_run.h"

namespace wizpak {
namespace {

const TCompLine* LineAt(int lineIndex) {
  return TCompLines::Instance().At(lineIndex);
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

void TWriteRegStrCommand::Execute(int lineIndex) const {
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  const std::string& root_name = line->Param(0);
  const std::string& key = line->Param(1);
  const std::string& value_name = line->Param(2);
  const std::string& data = line->Param(3);
  platform::Registry& registry = platform::Registry::Instance();
  const platform::RootKey root = run::RootKeyFromName(root_name);
  if (registry.OpenKey(root, key, /*create=*/true)) {
    if (!registry.WriteString(root, key, value_name, run::ExpandPath(data))) {
      throw ScriptError("Failed to set data for '" + value_name + "'");
    }
  }
  // Logged as written, even when the key did not open.
  run::LogRegistryEntry(Quoted(root_name) + " " + Quoted(key) + " " + Quoted(value_name) + " " +
                        Quoted(data));
}

void TCreateShortCutCommand::Execute(int lineIndex) const {
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  const std::string link = run::ExpandPath(line->Param(0));
  // The link's missing folders are created (and logged) first, so the
  // uninstaller removes a new start-menu folder again.
  const std::string folder = run::FolderOf(link);
  if (!folder.empty()) run::ForceFoldersLogged(folder);
  run::CreateLink(link, run::ExpandPath(line->Param(1)), run::ExpandPath(line->Param(2)));
  run::LogFile(link);
}

void TKYPUpdateCommand::Execute(int lineIndex) const {
  TScriptRun& state = TScriptRun::Instance();
  ++state.FileGroupCounter;
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  ExecuteKypUpdate(line->Params, state.CurrentGroup());
}

void TKYPOfficialCommand::Execute(int lineIndex) const {
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  ExecuteKypOfficial(line->Params);
}

void TUninstallLogLoadCommand::Execute(int lineIndex) const {
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  const std::string prefix = line->Params.size() >= 2 ? line->Param(1) : std::string();
  run::LoadInstallLog(run::ExpandPath(line->Param(0)), prefix);
}

void TUninstallLogSaveCommand::Execute(int lineIndex) const {
  const TCompLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  const std::string prefix = line->Params.size() >= 2 ? line->Param(1) : std::string();
  run::SaveInstallLog(run::ExpandPath(line->Param(0)), prefix);
}

}  // namespace wizpak
