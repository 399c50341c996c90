// The wizard as the setup program runs it: a WizardHost bound to the run's
// setup record, the script run, the uninstall walk, the
// finaliser and the error report, with the package seen through
// ProgramPackage (start-up fills it from its open package reader).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gui/widgets.h"
#include "wizard/main_form.h"
#include "wizard/wizard_run.h"

namespace wizpak {
class SetupRun;
}

namespace wizpak::wizard {

struct ProgramPackage {
  EntryLookup find_entry;
  std::string id;
  uint32_t version = 0;
  // Every entry in directory order: name and group.
  std::vector<std::pair<std::string, uint16_t>> entries;
};

// The host of the running program: its callbacks capture `setup_run`,
// which must outlive the host.
WizardHost MakeProgramHost(SetupRun& setup_run, const ProgramPackage& package);

// Step 16 for the program: creates the wizard on `form`, sets it up and runs
// it. Returns the exit status.
int RunProgramWizard(SetupRun& setup_run, gui::Toolkit& toolkit, gui::MainForm& form,
                     const ProgramPackage& package, const WizardRunOptions& options);

}  // namespace wizpak::wizard
