// The command registry: TCommandClass (one object per script keyword), the
// numbering of commands in compiled lines (registry position + 1; the order
// is part of the stored format), TCommandList, RegisterCommands, keyword
// lookup for the compiler, and the file-group kind list built at start-up.
//
// The compile side of each command lives in src/compiler/ and is dispatched
// by command number, so the setup runtime carries no compiler code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/comp_lines.h"

namespace wizpak {

class SetupRun;

// Command numbers as stored in compiled lines. Never reorder.
enum CommandNumber : int32_t {
  kCmdGoto = 1,
  kCmdName = 2,
  kCmdOutFile = 3,
  kCmdInstallDir = 4,
  kCmdInstallDirRegKey = 5,
  kCmdIfFileExists = 6,
  kCmdFile = 7,
  kCmdDelete = 8,
  kCmdWriteRegStr = 9,
  kCmdChangelog = 10,
  kCmdKypUpdate = 11,
  kCmdRmDir = 12,
  kCmdCreateDirectory = 13,
  kCmdCreateShortcut = 14,
  kCmdMessage = 15,
  kCmdMessageBox = 16,
  kCmdCopyFile = 17,
  kCmdLanguage = 18,
  kCmdFailure = 19,
  kCmdPages = 20,
  kCmdShortName = 21,
  kCmdUninstallPages = 22,
  kCmdUninstallLanguage = 23,
  kCmdPrefix = 24,
  kCmdUninstallLogLoad = 25,
  kCmdUninstallLogSave = 26,
  kCmdKypOfficial = 27,
};

// What a command carries in the package.
enum PayloadKinds : uint8_t {
  kPayloadNone = 0,         // no package files
  kPayloadFiles = 1,        // a group of plain files ("file")
  kPayloadArchivePatch = 2  // a group of files that patch a game archive ("kypupdate")
};

class TCommandClass {
 public:
  TCommandClass(std::string keyword, bool compile_only)
      : Keyword(std::move(keyword)), CompileOnly(compile_only) {}
  virtual ~TCommandClass() = default;
  TCommandClass(const TCommandClass&) = delete;
  TCommandClass& operator=(const TCommandClass&) = delete;

  // Runs the line at `lineIndex` of the run's lines against its state
  // (setup_run.h). Base: does nothing. Errors that must end the run are
  // thrown as ScriptError (script_run.h) or any std::exception.
  virtual void Execute(SetupRun& setup_run, int lineIndex) const;
  // kPayloadNone for every command but "file" and "kypupdate".
  virtual uint8_t PayloadKind() const { return kPayloadNone; }

  const std::string Keyword;  // lower case script word
  const bool CompileOnly;     // setup-property command: compiled as an inert line
};

class TCommandList {
 public:
  std::vector<std::unique_ptr<TCommandClass>> Items;

  // Appends `command`; returns its 0-based position (command number - 1).
  int Add(std::unique_ptr<TCommandClass> command);

  // The command of compiled-line number `command` (1..Items.size()), or
  // nullptr for labels, inert lines and numbers outside the registry.
  const TCommandClass* ByNumber(int32_t command) const;
  // Command number for a script keyword (ASCII case-insensitive), or 0 when
  // the keyword names no command.
  int32_t NumberOfKeyword(std::string_view keyword) const;
};

// Clears `list` and adds the 27 command objects in registry order.
void RegisterCommands(TCommandList& list);

// File-group kind list: element 0 is group 0 (0); then one element per line
// with Command > 0 whose command carries files, in line order: 0 for plain
// files, 1 for a game-archive patch. Element g describes file group g.
std::vector<uint8_t> GroupKinds(const TCompLines& lines, const TCommandList& commands);

}  // namespace wizpak
