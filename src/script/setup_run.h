// One run of the setup program: the state the script, the install log and
// the wizard share while one setup or uninstaller runs, and what the layers
// below ask of a person. Start-up makes one and passes it down: command
// Execute, RunScript and the wizard's host take it as an argument; tests
// make a fresh one per case.
//
// The setup record, the install log and the languages still live in their
// own layers' program-wide objects; the run names them, so that callers go
// through the run and those objects can move into it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "gamearchive/pak_system.h"
#include "gui/message_box.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/script_run.h"

namespace wizpak {

class TPak;
struct TSetupInfoFile;
class TUninstallList;
class TLanguages;

// What the layers below the wizard ask of a person. The defaults go to the
// active front-end (gui/message_box.h); tests replace them.
struct RunPrompts {
  std::function<gui::Answer(std::string_view text, std::string_view caption, gui::Buttons,
                            gui::Icon)>
      ask;
  // Shows the message and ends the program (status 3); never returns.
  std::function<void(const std::string& message)> fatal;

  RunPrompts();
  gui::Answer Ask(std::string_view text, std::string_view caption,
                  gui::Buttons buttons = gui::Buttons::Ok, gui::Icon icon = gui::Icon::None) const {
    return ask(text, caption, buttons, icon);
  }
};

class SetupRun {
 public:
  // The commands registered, no lines, no package; the archive system asks
  // through `prompts`.
  SetupRun();
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;

  TCompLines lines;       // the compiled script
  TCommandList commands;  // the command registry the lines are numbered by
  TScriptRun script;      // the script loop's state
  // The package the "file" and archive commands read and the uninstaller is
  // built from; open for the whole run, not owned. Null until start-up sets it.
  TPak* package = nullptr;
  RunPrompts prompts;
  // Patches game archives; its retry box and fatal exit are `prompts`.
  gamearchive::TPakSystem archives;

  TSetupInfoFile& record;
  TUninstallList& install_log;
  TLanguages& languages;
};

}  // namespace wizpak
