// The command registry and the file-group kind list.
#include "script/command_class.h"

#include "platform/codepage.h"
#include "script/commands.h"

namespace wizpak {

void TCommandClass::Execute(SetupRun&, int) const {}

int TCommandList::Add(std::unique_ptr<TCommandClass> command) {
  Items.push_back(std::move(command));
  return static_cast<int>(Items.size()) - 1;
}

const TCommandClass* TCommandList::ByNumber(int32_t command) const {
  if (command < 1 || static_cast<size_t>(command) > Items.size()) return nullptr;
  return Items[static_cast<size_t>(command) - 1].get();
}

int32_t TCommandList::NumberOfKeyword(std::string_view keyword) const {
  const std::string wanted = AsciiLower(keyword);
  for (size_t i = 0; i < Items.size(); ++i) {
    if (Items[i]->Keyword == wanted) return static_cast<int32_t>(i) + 1;
  }
  return 0;
}

void RegisterCommands(TCommandList& list) {
  list.Items.clear();
  // The order is the command numbering of compiled lines: append only.
  list.Add(std::make_unique<TGotoCommand>());
  list.Add(std::make_unique<TNameCommand>());
  list.Add(std::make_unique<TOutFileCommand>());
  list.Add(std::make_unique<TInstallDirCommand>());
  list.Add(std::make_unique<TInstallDirRegKeyCommand>());
  list.Add(std::make_unique<TIfFileExistsCommand>());
  list.Add(std::make_unique<TFileCommand>());
  list.Add(std::make_unique<TDeleteCommand>());
  list.Add(std::make_unique<TWriteRegStrCommand>());
  list.Add(std::make_unique<TChangelogCommand>());
  list.Add(std::make_unique<TKYPUpdateCommand>());
  list.Add(std::make_unique<TRMDirCommand>());
  list.Add(std::make_unique<TCreateDirectoryCommand>());
  list.Add(std::make_unique<TCreateShortCutCommand>());
  list.Add(std::make_unique<TMessageCommand>());
  list.Add(std::make_unique<TMessageBoxCommand>());
  list.Add(std::make_unique<TCopyFileCommand>());
  list.Add(std::make_unique<TLanguageCommand>());
  list.Add(std::make_unique<TFailureCommand>());
  list.Add(std::make_unique<TPagesCommand>());
  list.Add(std::make_unique<TShortNameCommand>());
  list.Add(std::make_unique<TUninstallPagesCommand>());
  list.Add(std::make_unique<TUninstallLanguageCommand>());
  list.Add(std::make_unique<TUninstallPrefixCommand>());
  list.Add(std::make_unique<TUninstallLogLoadCommand>());
  list.Add(std::make_unique<TUninstallLogSaveCommand>());
  list.Add(std::make_unique<TKYPOfficialCommand>());
}

std::vector<uint8_t> GroupKinds(const TCompLines& lines, const TCommandList& commands) {
  std::vector<uint8_t> kinds{0};  // group 0: files of no command
  for (const TCompLine& line : lines.Lines) {
    if (line.Command <= 0) continue;
    const TCommandClass* command = commands.ByNumber(line.Command);
    if (command == nullptr) continue;
    const uint8_t kind = command->PayloadKind();
    if (kind == kPayloadFiles) kinds.push_back(0);
    if (kind == kPayloadArchivePatch) kinds.push_back(1);
  }
  return kinds;
}

}  // namespace wizpak
