// One run of the setup program: the state the script, the install log and
// the wizard share while one setup or uninstaller runs, and what the layers
// below ask of a person. Start-up makes one and passes it down: command
// Execute, RunScript and the wizard's host take it as an argument; tests
// make a fresh one per case.
//
// The run is a RunTexts (text/run_texts.h: setup record, languages,
// placeholders, figures, status view), so the layers below the script take
// that part of it and see no more.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "diagnostics/error_report.h"
#include "gamearchive/pak_system.h"
#include "gui/message_box.h"
#include "package/package_hooks.h"
#include "platform/journal.h"
#include "script/command_class.h"
#include "script/comp_lines.h"
#include "script/script_run.h"
#include "text/run_texts.h"
#include "uninstall/uninstall_list.h"
#include "uninstall/uninstaller.h"

namespace wizpak {

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

class SetupRun : public RunTexts {
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
  RunningPackage package;
  // Where the package's writers report while this run writes files and
  // makes folders (status, progress, install log, stop); start-up connects
  // them (setup/package_connection.h). Unset hooks report nowhere.
  PackageHooks package_hooks;
  // What the installation wrote; its paths use this run's path variables.
  TUninstallList install_log{static_cast<const RunTexts&>(*this)};
  RunPrompts prompts;
  // Patches game archives; its retry box and fatal exit are `prompts`.
  gamearchive::TPakSystem archives;
  // The undo journal of the installation run while it goes on (null
  // otherwise); RunScript makes it, commits it or rolls it back.
  std::unique_ptr<platform::Journal> journal;
  // What the error report says about this setup; start-up sets it once the
  // package and the record are loaded. Unset: no package, no names.
  std::function<diagnostics::ReportContext()> report_context;

  // The error report for `message`, with this run's context (see
  // diagnostics/error_report.h); returns its path, "" when not written.
  std::string WriteErrorReport(std::string_view message, std::string_view error_type) const;
};

}  // namespace wizpak
