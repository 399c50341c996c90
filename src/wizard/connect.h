// Connects the wizard to start-up: the setup program's main calls
// ConnectWizard() before start-up runs, and step 16 then hands the open
// package, the toolkit, the main form and the options to the wizard.
// Header-only, so the wizard library itself does not depend on start-up.
#pragma once

#include <memory>
#include <string>

#include "setup/package_view.h"
#include "setup/startup.h"
#include "wizard/program_host.h"

namespace wizpak::wizard {

inline ProgramPackage PackageOfStartup(setup::StartupState& state) {
  ProgramPackage package;
  TPak* pak = state.pak.get();
  if (!pak) return package;
  package.find_entry = [pak](std::string_view name) {
    return setup::FindGroup0Entry(*pak, std::string(name));
  };
  package.id = setup::PackageId(*pak);
  package.version = setup::PackageVersion(*pak);
  const uint32_t count = setup::PackageEntryCount(*pak);
  for (uint32_t i = 0; i < count; ++i) {
    setup::EntryInfo entry = setup::PackageEntry(*pak, i);
    package.entries.emplace_back(entry.name, entry.group);
  }
  return package;
}

inline void ConnectWizard() {
  setup::SetWizardRunner([](setup::StartupState& state) {
    WizardRunOptions options;
    options.unattended = state.options.unattended;
    options.dir = state.options.dir;
    return RunProgramWizard(*state.toolkit, *state.main_form, PackageOfStartup(state), options);
  });
}

}  // namespace wizpak::wizard
